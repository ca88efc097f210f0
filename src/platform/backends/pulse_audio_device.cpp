#include "platform/backends/pulse_audio_device.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <span>

#include "platform/audio_underruns.h"

namespace platform {

namespace {

// The buffer an automatic choice starts at: raised, for every later stream of the process, by
// each dropout an automatic buffer heard.
std::atomic<int32_t> learnedAutoBufferMs{PulseAudioDevice::kAutoStartMs};

pa_sample_spec sampleSpecOf(const AudioFormat& format) {
    pa_sample_spec spec{};
    spec.format = format.bits == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
    spec.rate = static_cast<uint32_t>(format.rate);
    spec.channels = static_cast<uint8_t>(format.channels);
    return spec;
}

// tlength is the whole buffer. Each request is one of the source's periods, or a quarter of the
// buffer if that is less: early requests keep them that small however large the buffer grows,
// where latency adjustment would ask for about half the buffer at a time (a looping buffer's
// read position would then leap past what its writer had written ahead of it). No prebuffering:
// only cork starts and stops the stream, and running dry never stops it.
pa_buffer_attr bufferAttrFor(const AudioFormat& format, int32_t periodFrames, int32_t ms) {
    const pa_sample_spec spec = sampleSpecOf(format);
    const auto frameBytes = static_cast<uint32_t>(format.frameBytes());
    pa_buffer_attr attr{};
    attr.maxlength = UINT32_MAX;
    attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(ms * PA_USEC_PER_MSEC, &spec));
    const uint32_t quarter = attr.tlength / 4 / frameBytes * frameBytes;
    const uint32_t period = static_cast<uint32_t>(periodFrames) * frameBytes;
    attr.minreq = std::max(frameBytes, std::min(quarter, period));
    attr.prebuf = 0;
    attr.fragsize = UINT32_MAX;
    return attr;
}

void release(pa_operation* operation) {
    if (operation != nullptr) {
        pa_operation_unref(operation);
    }
}

}  // namespace

struct PulseAudioDevice::Callbacks {
    static PulseAudioDevice& owner(void* self) { return *static_cast<PulseAudioDevice*>(self); }

    static void contextChanged(pa_context* context, void* self) noexcept {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) {
            owner(self).gone.store(true, std::memory_order_release);
        }
        pa_threaded_mainloop_signal(owner(self).mainloop, 0);
    }

    static void streamChanged(pa_stream* stream, void* self) noexcept {
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
            owner(self).gone.store(true, std::memory_order_release);
        }
        pa_threaded_mainloop_signal(owner(self).mainloop, 0);
    }

    static void writeRequested(pa_stream* /*stream*/, std::size_t bytes, void* self) noexcept {
        owner(self).write(bytes);
    }

    static void underflowed(pa_stream* /*stream*/, void* self) noexcept {
        PulseAudioDevice& device = owner(self);
        device.underruns.fetch_add(1, std::memory_order_relaxed);
        noteUnderrun();
        if (device.autoBuffer) {
            device.raiseBuffer();
        }
    }

    static void bufferChanged(pa_stream* /*stream*/, void* self) noexcept {
        owner(self).readBackBuffer();
    }

    static void bufferSet(pa_stream* /*stream*/, int success, void* self) noexcept {
        if (success != 0) {
            owner(self).readBackBuffer();
        }
    }

    // What the server asked for while the stream was stopped is written on the mainloop thread,
    // like every other fill.
    static void started(pa_mainloop_api* /*api*/, void* self) noexcept {
        PulseAudioDevice& device = owner(self);
        if (device.stream != nullptr) {
            device.write(pa_stream_writable_size(device.stream));
        }
    }

    static void answerTimedOut(pa_mainloop_api* /*api*/, pa_time_event* /*event*/,
                               const timeval* /*when*/, void* self) noexcept {
        owner(self).timedOut.store(true, std::memory_order_relaxed);
        pa_threaded_mainloop_signal(owner(self).mainloop, 0);
    }
};

bool PulseAudioDevice::open(const AudioFormat& wanted, AudioSource& from) {
    close();
    const pa_sample_spec spec = sampleSpecOf(wanted);
    if (wanted.rate <= 0 || wanted.periodFrames <= 0 || wanted.periodFrames > 32768 ||
        (wanted.channels != 1 && wanted.channels != 2) || (wanted.bits != 8 && wanted.bits != 16) ||
        wanted.serverBufferMs < 0 || pa_sample_spec_valid(&spec) == 0) {
        error = "PulseAudio: unsupported audio format";
        return false;
    }
    current = wanted;
    source = &from;
    askedPeriodFrames = wanted.periodFrames;
    autoBuffer = wanted.serverBufferMs == 0;
    askedBufferMs = autoBuffer
                        ? learnedAutoBufferMs.load(std::memory_order_relaxed)
                        : std::clamp(wanted.serverBufferMs, kSmallestBufferMs, kLargestBufferMs);
    stopped.store(true);
    uncorkPending.store(false);
    timedOut.store(false);
    gone.store(false);
    frames.store(0);
    underruns.store(0);
    bufferMs.store(0);

    mainloop = pa_threaded_mainloop_new();
    if (mainloop == nullptr) {
        error = "PulseAudio: no mainloop";
        source = nullptr;
        return false;
    }
    pa_threaded_mainloop_set_name(mainloop, "lirveto-pulse");
    bool connected = false;
    if (pa_threaded_mainloop_start(mainloop) < 0) {
        error = "PulseAudio: no mainloop thread";
    } else {
        pa_threaded_mainloop_lock(mainloop);
        connected = connect();
        pa_threaded_mainloop_unlock(mainloop);
    }
    if (!connected) {
        close();
        return false;
    }
    error.clear();
    return true;
}

bool PulseAudioDevice::connect() {
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop);
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Lirveto");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "lirveto");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, "lirveto");
    context = pa_context_new_with_proplist(api, "Lirveto", properties);
    pa_proplist_free(properties);
    if (context == nullptr) {
        error = "PulseAudio: no context";
        return false;
    }
    pa_context_set_state_callback(context, &Callbacks::contextChanged, this);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        fail(pa_context_errno(context));
        return false;
    }
    pa_time_event* deadline =
        pa_context_rttime_new(context, pa_rtclock_now() + kAnswerTimeoutMs * PA_USEC_PER_MSEC,
                              &Callbacks::answerTimedOut, this);
    bool ready = waitUntilReady() && connectStream(sink.empty() ? nullptr : sink.c_str()) &&
                 waitUntilReady();
    const int refusal = ready ? 0 : pa_context_errno(context);
    if (!sink.empty() && stream != nullptr &&
        (refusal == PA_ERR_NOENTITY || refusal == PA_ERR_INVALID) &&
        !timedOut.load(std::memory_order_relaxed)) {
        // The chosen sink is gone (or its name is none the server could have): the sound goes
        // where the server sends it by default.
        dropStream();
        gone.store(false, std::memory_order_release);  // the failed stream said so
        ready = connectStream(nullptr) && waitUntilReady();
    }
    if (deadline != nullptr) {
        api->time_free(deadline);
    }
    if (!ready) {
        return false;
    }
    readBackBuffer();
    if (const pa_buffer_attr* granted = pa_stream_get_buffer_attr(stream)) {
        current.periodFrames = static_cast<int32_t>(granted->minreq) / current.frameBytes();
    }
    return true;
}

bool PulseAudioDevice::connectStream(const char* sinkName) {
    const pa_sample_spec spec = sampleSpecOf(current);
    pa_proplist* properties = pa_proplist_new();
    // A live instrument, answering the hand as a game does: policies that cork or duck "music"
    // for a call or a notification would silence it in the middle of a phrase.
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "game");
    stream = pa_stream_new_with_proplist(context, "Tone", &spec, nullptr, properties);
    pa_proplist_free(properties);
    if (stream == nullptr) {
        fail(pa_context_errno(context));
        return false;
    }
    pa_stream_set_state_callback(stream, &Callbacks::streamChanged, this);
    pa_stream_set_write_callback(stream, &Callbacks::writeRequested, this);
    pa_stream_set_underflow_callback(stream, &Callbacks::underflowed, this);
    pa_stream_set_buffer_attr_callback(stream, &Callbacks::bufferChanged, this);
    // A stream moved to another sink gets that sink's buffer, and only this callback tells.
    pa_stream_set_moved_callback(stream, &Callbacks::bufferChanged, this);
    const pa_buffer_attr attr = bufferAttrFor(current, askedPeriodFrames, askedBufferMs);
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_EARLY_REQUESTS | PA_STREAM_START_CORKED);
    if (pa_stream_connect_playback(stream, sinkName, &attr, flags, nullptr, nullptr) < 0) {
        fail(pa_context_errno(context));
        return false;
    }
    return true;
}

bool PulseAudioDevice::waitUntilReady() {
    for (;;) {
        const pa_context_state_t state = pa_context_get_state(context);
        if (!PA_CONTEXT_IS_GOOD(state)) {
            fail(pa_context_errno(context));
            return false;
        }
        if (stream != nullptr) {
            const pa_stream_state_t streamState = pa_stream_get_state(stream);
            if (!PA_STREAM_IS_GOOD(streamState)) {
                fail(pa_context_errno(context));
                return false;
            }
            if (streamState == PA_STREAM_READY) {
                return true;
            }
        } else if (state == PA_CONTEXT_READY) {
            return true;
        }
        if (timedOut.load(std::memory_order_relaxed)) {
            fail(PA_ERR_TIMEOUT);
            return false;
        }
        pa_threaded_mainloop_wait(mainloop);
    }
}

void PulseAudioDevice::fail(int code) {
    error = std::string("PulseAudio: ") + pa_strerror(code);
}

void PulseAudioDevice::start() {
    if (stream == nullptr) {
        return;
    }
    pa_threaded_mainloop_lock(mainloop);
    if (stopped.load(std::memory_order_relaxed)) {
        // Uncorked only once sound is queued: a stream uncorked empty would run dry at once,
        // and the server would report that as an underrun.
        stopped.store(false, std::memory_order_relaxed);
        uncorkPending.store(true, std::memory_order_relaxed);
        pa_mainloop_api_once(pa_threaded_mainloop_get_api(mainloop), &Callbacks::started, this);
    }
    pa_threaded_mainloop_unlock(mainloop);
}

void PulseAudioDevice::stop() {
    if (stream == nullptr) {
        return;
    }
    // Fills run under this lock, so none is running once it is ours and none begins after.
    pa_threaded_mainloop_lock(mainloop);
    if (!stopped.load(std::memory_order_relaxed)) {
        stopped.store(true, std::memory_order_relaxed);
        uncorkPending.store(false, std::memory_order_relaxed);
        // Corked before flushed, so the server never pulls from an emptied stream; flushed so that
        // a reset's old sound is not heard after the next start.
        release(pa_stream_cork(stream, 1, nullptr, nullptr));
        release(pa_stream_flush(stream, nullptr, nullptr));
    }
    pa_threaded_mainloop_unlock(mainloop);
}

void PulseAudioDevice::close() {
    if (mainloop == nullptr) {
        return;
    }
    pa_threaded_mainloop_lock(mainloop);
    dropStream();
    if (context != nullptr) {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
        context = nullptr;
    }
    pa_threaded_mainloop_unlock(mainloop);
    pa_threaded_mainloop_stop(mainloop);
    pa_threaded_mainloop_free(mainloop);
    mainloop = nullptr;
    source = nullptr;
}

void PulseAudioDevice::dropStream() {
    if (stream == nullptr) {
        return;
    }
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_set_underflow_callback(stream, nullptr, nullptr);
    pa_stream_set_buffer_attr_callback(stream, nullptr, nullptr);
    pa_stream_set_moved_callback(stream, nullptr, nullptr);
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    stream = nullptr;
}

void PulseAudioDevice::write(std::size_t bytes) noexcept {
    if (stream == nullptr || stopped.load(std::memory_order_relaxed) ||
        bytes == static_cast<std::size_t>(-1)) {
        return;  // corked: start() writes what the server asked for meanwhile
    }
    const auto frameBytes = static_cast<std::size_t>(current.frameBytes());
    std::size_t left = bytes - bytes % frameBytes;
    bool wrote = false;
    while (left > 0) {
        void* data = nullptr;
        std::size_t length = left;
        // The server's own memory: begin_write hands out at most a block of its pool at a time.
        if (pa_stream_begin_write(stream, &data, &length) < 0 || data == nullptr) {
            break;
        }
        length = std::min(length, left);
        length -= length % frameBytes;
        if (length == 0) {
            pa_stream_cancel_write(stream);
            break;
        }
        source->fill(std::span<uint8_t>(static_cast<uint8_t*>(data), length));
        if (pa_stream_write(stream, data, length, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
            break;
        }
        frames.fetch_add(length / frameBytes, std::memory_order_relaxed);
        left -= length;
        wrote = true;
    }
    if (wrote && uncorkPending.load(std::memory_order_relaxed)) {
        uncorkPending.store(false, std::memory_order_relaxed);
        release(pa_stream_cork(stream, 0, nullptr, nullptr));
    }
}

void PulseAudioDevice::raiseBuffer() noexcept {
    if (stream == nullptr || askedBufferMs >= kLargestBufferMs) {
        return;
    }
    askedBufferMs = std::min(kLargestBufferMs, askedBufferMs + askedBufferMs / 2);
    // What dropped out here once would again: the next automatic buffer starts where this one is.
    learnedAutoBufferMs.store(askedBufferMs, std::memory_order_relaxed);
    const pa_buffer_attr attr = bufferAttrFor(current, askedPeriodFrames, askedBufferMs);
    release(pa_stream_set_buffer_attr(stream, &attr, &Callbacks::bufferSet, this));
}

void PulseAudioDevice::readBackBuffer() noexcept {
    const pa_buffer_attr* granted = pa_stream_get_buffer_attr(stream);
    const pa_sample_spec* spec = pa_stream_get_sample_spec(stream);
    if (granted != nullptr && spec != nullptr) {
        const pa_usec_t usec = pa_bytes_to_usec(granted->tlength, spec);
        const auto ms = static_cast<int32_t>((usec + PA_USEC_PER_MSEC / 2) / PA_USEC_PER_MSEC);
        bufferMs.store(ms, std::memory_order_relaxed);
        noteServerBuffer(ms);
    }
}

}  // namespace platform
