#include "platform/backends/pipewire_audio_device.h"

#include <pipewire/pipewire.h>
#include <spa/param/audio/format-utils.h>
#include <spa/utils/dict.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <mutex>
#include <span>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/audio_underruns.h"

namespace platform {

namespace {

constexpr int64_t kAnswerNs = 2'000'000'000;
// The latency an automatic choice starts at: raised, for every later stream of the process, by
// each raise that dropouts made.
std::atomic<int32_t> learnedAutoMs{PipeWireDevice::kAutoStartMs};
// A raise takes a cycle or two to reach the graph; dropouts until then tell nothing new.
constexpr int64_t kRaiseSpacingNs = 1'000'000'000;

void initPipeWire() {
    static std::once_flag once;
    std::call_once(once, [] { pw_init(nullptr, nullptr); });
}

int64_t monotonicNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string withReason(const char* what, int code) {
    return std::string("PipeWire: ") + what + " (" + std::generic_category().message(code) + ")";
}

bool isSettled(int state) {
    return state == PW_STREAM_STATE_PAUSED || state == PW_STREAM_STATE_STREAMING;
}

}  // namespace

// The PipeWire objects; the thread loop's lock guards all but `stream`, which the data thread
// reads to dequeue its buffers.
struct PipeWireDevice::Native {
    pw_thread_loop* threadLoop = nullptr;
    pw_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    spa_hook coreHook{};
    spa_hook streamHook{};
    std::atomic<pw_stream*> stream{nullptr};
    spa_source* raiseEvent = nullptr;
    std::string streamError;  // the server's words for a stream that failed
    int64_t lastRaiseNs = 0;
};

struct PipeWireDevice::Callbacks {
    static void process(void* data) noexcept {
        auto& self = *static_cast<PipeWireDevice*>(data);
        pw_stream* stream = self.native->stream.load(std::memory_order_acquire);
        pw_buffer* buffer = pw_stream_dequeue_buffer(stream);
        if (buffer == nullptr) {
            return;
        }
        spa_data& block = buffer->buffer->datas[0];
        const auto stride = static_cast<uint32_t>(self.current.frameBytes());
        uint64_t count = block.data != nullptr ? block.maxsize / stride : 0;
        if (buffer->requested > 0) {
            count = std::min(count, buffer->requested);
        }
        const std::span<uint8_t> out(static_cast<uint8_t*>(block.data), count * stride);

        // stop() clears `playing`, then waits while `filling` is set: whichever of the two
        // stores comes first, no fill runs once it returns.
        self.filling.store(true, std::memory_order_seq_cst);
        const bool played = self.playing.load(std::memory_order_seq_cst);
        if (played) {
            self.source->fill(out);
        } else {
            std::fill(out.begin(), out.end(), self.current.silence());
        }
        self.filling.store(false, std::memory_order_seq_cst);

        block.chunk->offset = 0;
        block.chunk->stride = static_cast<int32_t>(stride);
        block.chunk->size = static_cast<uint32_t>(out.size());
        pw_stream_queue_buffer(stream, buffer);
        if (played) {
            self.frames.fetch_add(count, std::memory_order_relaxed);
        }
        self.listen(stream, played, buffer->requested > 0 ? buffer->requested : count);
    }

    static void stateChanged(void* data, pw_stream_state /*old*/, pw_stream_state now,
                             const char* why) noexcept {
        auto& self = *static_cast<PipeWireDevice*>(data);
        if (now == PW_STREAM_STATE_ERROR) {
            self.native->streamError = why != nullptr ? why : "";
        }
        // A stream is unconnected again only when its core went away, or when we close it.
        if (now == PW_STREAM_STATE_ERROR ||
            (now == PW_STREAM_STATE_UNCONNECTED && isSettled(self.state.load()))) {
            self.gone.store(true, std::memory_order_release);
        }
        self.state.store(now);
        pw_thread_loop_signal(self.native->threadLoop, false);
    }

    static void coreError(void* data, uint32_t id, int /*seq*/, int res,
                          const char* /*message*/) noexcept {
        auto& self = *static_cast<PipeWireDevice*>(data);
        if (id == PW_ID_CORE && res == -EPIPE) {
            self.gone.store(true, std::memory_order_release);
        }
        pw_thread_loop_signal(self.native->threadLoop, false);
    }

    static void raise(void* data, uint64_t /*count*/) noexcept {
        static_cast<PipeWireDevice*>(data)->raiseLatency();
    }

    static const pw_stream_events* streamEvents() {
        static const pw_stream_events events = [] {
            pw_stream_events made{};
            made.version = PW_VERSION_STREAM_EVENTS;
            made.state_changed = &stateChanged;
            made.process = &process;
            return made;
        }();
        return &events;
    }

    static const pw_core_events* coreEvents() {
        static const pw_core_events events = [] {
            pw_core_events made{};
            made.version = PW_VERSION_CORE_EVENTS;
            made.error = &coreError;
            return made;
        }();
        return &events;
    }
};

PipeWireDevice::PipeWireDevice(std::string target) : targetName(std::move(target)) {}

PipeWireDevice::~PipeWireDevice() {
    close();
}

bool PipeWireDevice::open(const AudioFormat& wanted, AudioSource& from) {
    close();
    if (wanted.rate <= 0 || (wanted.channels != 1 && wanted.channels != 2) ||
        (wanted.bits != 8 && wanted.bits != 16)) {
        error = "PipeWire: unsupported audio format";
        return false;
    }
    initPipeWire();
    // Everything the data thread reads is in place before the context starts that thread.
    current = wanted;
    autoLatency = wanted.serverBufferMs == 0;
    // Out of range, a fixed choice is brought within it, as the PulseAudio route does.
    askedMs.store(autoLatency ? learnedAutoMs.load(std::memory_order_relaxed)
                              : std::clamp(wanted.serverBufferMs, kShortestMs, kLongestMs));
    current.periodFrames = latencyFrames(askedMs.load());
    source = &from;
    frames.store(0);
    underruns.store(0);
    cycleMicros.store(0);
    state.store(PW_STREAM_STATE_UNCONNECTED);
    gone.store(false);
    playing.store(false);
    filling.store(false);
    watching = false;
    native = std::make_unique<Native>();

    std::string why;
    if (!connect(why)) {
        close();
        error = why;
        return false;
    }
    error.clear();
    return true;
}

bool PipeWireDevice::connect(std::string& why) {
    Native& pw = *native;
    pw.threadLoop = pw_thread_loop_new("lirveto-pipewire", nullptr);
    if (pw.threadLoop == nullptr) {
        why = withReason("cannot make a thread for the stream", errno);
        return false;
    }
    pw.loop = pw_thread_loop_get_loop(pw.threadLoop);
    pw.raiseEvent = pw_loop_add_event(pw.loop, &Callbacks::raise, this);
    // The real-time client configuration gives the data thread real-time priority.
    pw.context = pw_context_new(
        pw.loop, pw_properties_new(PW_KEY_CONFIG_NAME, "client-rt.conf", nullptr), 0);
    if (pw.context == nullptr) {
        why = withReason("cannot set up a client", errno);
        return false;
    }
    if (const int started = pw_thread_loop_start(pw.threadLoop); started < 0) {
        why = withReason("cannot start the stream's thread", -started);
        return false;
    }
    pw_thread_loop_lock(pw.threadLoop);
    pw.core =
        pw_context_connect(pw.context, pw_properties_new(PW_KEY_APP_NAME, "Lirveto", nullptr), 0);
    if (pw.core == nullptr) {
        const int code = errno;
        pw_thread_loop_unlock(pw.threadLoop);
        // A socket that is not there reads as a host that is down.
        const bool absent = code == EHOSTDOWN || code == ENOENT || code == ECONNREFUSED;
        why = withReason(absent ? "no server is running" : "cannot reach the server", code);
        return false;
    }
    // The macro casts the C way.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
    pw_core_add_listener(pw.core, &pw.coreHook, Callbacks::coreEvents(), this);
#pragma GCC diagnostic pop

    // Music: the tone is an instrument's, so policies for music (volume, routing) apply to it.
    const std::string latency = latencyText(askedMs.load());
    pw_properties* properties =
        pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback",
                          PW_KEY_MEDIA_ROLE, "Music", PW_KEY_APP_NAME, "Lirveto", PW_KEY_NODE_NAME,
                          "lirveto", PW_KEY_NODE_LATENCY, latency.c_str(), nullptr);
    if (properties != nullptr && !targetName.empty()) {
        pw_properties_set(properties, PW_KEY_TARGET_OBJECT, targetName.c_str());
    }
    pw_stream* made = pw_stream_new(pw.core, "Lirveto", properties);
    if (made == nullptr) {
        const int code = errno;
        pw_thread_loop_unlock(pw.threadLoop);
        why = withReason("cannot make a stream", code);
        return false;
    }
    pw.stream.store(made, std::memory_order_release);
    pw_stream_add_listener(made, &pw.streamHook, Callbacks::streamEvents(), this);

    spa_audio_info_raw info{};
    info.format = current.bits == 8 ? SPA_AUDIO_FORMAT_U8 : SPA_AUDIO_FORMAT_S16_LE;
    info.rate = static_cast<uint32_t>(current.rate);
    info.channels = static_cast<uint32_t>(current.channels);
    if (current.channels == 1) {
        info.position[0] = SPA_AUDIO_CHANNEL_MONO;
    } else {
        info.position[0] = SPA_AUDIO_CHANNEL_FL;
        info.position[1] = SPA_AUDIO_CHANNEL_FR;
    }
    std::array<uint8_t, 1024> room{};
    spa_pod_builder builder{};
    spa_pod_builder_init(&builder, room.data(), static_cast<uint32_t>(room.size()));
    const spa_pod* params[] = {spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &info)};
    const auto flags =
        static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS |
                                     PW_STREAM_FLAG_RT_PROCESS | PW_STREAM_FLAG_INACTIVE);
    const int connected = pw_stream_connect(made, PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, params, 1);
    if (connected < 0) {
        pw_thread_loop_unlock(pw.threadLoop);
        why = withReason("the server refused the stream", -connected);
        return false;
    }

    timespec deadline{};
    pw_thread_loop_get_time(pw.threadLoop, &deadline, kAnswerNs);
    bool late = false;
    while (!isSettled(state.load()) && !gone.load() && !late) {
        late = pw_thread_loop_timed_wait_full(pw.threadLoop, &deadline) != 0;
    }
    const bool settled = isSettled(state.load()) && !gone.load();
    if (!settled) {
        if (!pw.streamError.empty()) {
            why = "PipeWire: the server refused the stream (" + pw.streamError + ")";
        } else if (gone.load()) {
            why = "PipeWire: the server closed the connection";
        } else {
            why = "PipeWire: the server did not answer within 2 s";
        }
    }
    pw_thread_loop_unlock(pw.threadLoop);
    return settled;
}

void PipeWireDevice::start() {
    if (native == nullptr) {
        return;
    }
    playing.store(true, std::memory_order_seq_cst);
    pw_thread_loop_lock(native->threadLoop);
    pw_stream_set_active(native->stream.load(), true);
    pw_thread_loop_unlock(native->threadLoop);
}

void PipeWireDevice::stop() {
    if (native == nullptr) {
        return;
    }
    playing.store(false, std::memory_order_seq_cst);
    pw_thread_loop_lock(native->threadLoop);
    pw_stream_set_active(native->stream.load(), false);
    pw_thread_loop_unlock(native->threadLoop);
    waitForFill();
}

void PipeWireDevice::close() {
    if (native == nullptr) {
        return;
    }
    Native& pw = *native;
    playing.store(false, std::memory_order_seq_cst);
    waitForFill();
    if (pw.threadLoop != nullptr) {
        pw_thread_loop_lock(pw.threadLoop);
        if (pw_stream* made = pw.stream.load()) {
            // Destroying the stream takes its node off the data thread: no process call after.
            spa_hook_remove(&pw.streamHook);
            pw_stream_destroy(made);
            pw.stream.store(nullptr);
        }
        if (pw.raiseEvent != nullptr) {
            pw_loop_destroy_source(pw.loop, pw.raiseEvent);
        }
        if (pw.core != nullptr) {
            spa_hook_remove(&pw.coreHook);
            pw_core_disconnect(pw.core);
        }
        pw_thread_loop_unlock(pw.threadLoop);
        pw_thread_loop_stop(pw.threadLoop);
    }
    if (pw.context != nullptr) {
        pw_context_destroy(pw.context);
    }
    if (pw.threadLoop != nullptr) {
        pw_thread_loop_destroy(pw.threadLoop);
    }
    native.reset();
    source = nullptr;
}

int32_t PipeWireDevice::serverBufferMs() const {
    const int64_t micros = cycleMicros.load(std::memory_order_relaxed);
    return micros > 0 ? static_cast<int32_t>((micros + 500) / 1000) : askedMs.load();
}

int32_t PipeWireDevice::latencyFrames(int32_t ms) const {
    return std::max(1, static_cast<int32_t>(std::lround(ms * current.rate / 1000.0)));
}

std::string PipeWireDevice::latencyText(int32_t ms) const {
    return std::to_string(latencyFrames(ms)) + "/" + std::to_string(current.rate);
}

void PipeWireDevice::listen(pw_stream* stream, bool played, uint64_t asked) noexcept {
    if (!played) {
        watching = false;
        return;
    }
    if (!watching) {
        watch.restart();
        watching = true;
    }
    pw_time time{};
    if (pw_stream_get_time_n(stream, &time, sizeof time) < 0 || time.rate.num == 0) {
        watch.restart();
        return;
    }
    const auto perSecond = static_cast<uint32_t>(time.rate.denom / time.rate.num);
    if (watch.cycle(time.ticks, perSecond, asked, static_cast<uint32_t>(current.rate))) {
        underruns.fetch_add(1, std::memory_order_relaxed);
        noteUnderrun();
        if (autoLatency) {
            pw_loop_signal_event(native->loop, native->raiseEvent);
        }
    }
    const auto micros = static_cast<int64_t>(watch.cycleMicros());
    if (micros != cycleMicros.load(std::memory_order_relaxed)) {
        cycleMicros.store(micros, std::memory_order_relaxed);
        noteServerBuffer(serverBufferMs());
    }
}

void PipeWireDevice::raiseLatency() {
    const int64_t now = monotonicNs();
    const int32_t was = askedMs.load();
    if (was >= kLongestMs || now - native->lastRaiseNs < kRaiseSpacingNs) {
        return;
    }
    native->lastRaiseNs = now;
    // Doubling: the graph rounds a latency down to a power of two frames, so a smaller step
    // may change nothing.
    const int32_t raised = std::min(kLongestMs, was * 2);
    askedMs.store(raised);
    // What dropped out here once would again: the next automatic latency starts where this is.
    learnedAutoMs.store(raised, std::memory_order_relaxed);
    const std::string text = latencyText(raised);
    const spa_dict_item item{PW_KEY_NODE_LATENCY, text.c_str()};
    const spa_dict dict{0, 1, &item};
    pw_stream_update_properties(native->stream.load(), &dict);
}

void PipeWireDevice::waitForFill() const {
    while (filling.load(std::memory_order_seq_cst)) {
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
}

}  // namespace platform
