#include "platform/waveout/wave_out_stream.h"

#include <algorithm>
#include <cstring>

#include "platform/audio_underruns.h"

namespace platform {

namespace {

// The flags of a queued header are shared with the thread that reports it done.
void markQueued(WaveHeader& header) {
    std::atomic_ref<uint32_t> flags(header.flags);
    flags.store((flags.load(std::memory_order_relaxed) & ~mm::WHDR_DONE) | mm::WHDR_INQUEUE,
                std::memory_order_release);
}

void markDone(WaveHeader& header) {
    std::atomic_ref<uint32_t> flags(header.flags);
    flags.store((flags.load(std::memory_order_relaxed) & ~mm::WHDR_INQUEUE) | mm::WHDR_DONE,
                std::memory_order_release);
}

}  // namespace

WaveOutStream::WaveOutStream(std::unique_ptr<AudioDevice> output, WaveOutNotify* target,
                             const std::atomic<uint32_t>& level)
    : device(std::move(output)),
      notify(target),
      delivery(NotifyDelivery::notifierThread),
      volume(level) {}

WaveOutStream::WaveOutStream(std::unique_ptr<ClockedAudioDevice> output, WaveOutNotify* target,
                             const std::atomic<uint32_t>& level)
    : device(std::move(output)),
      notify(target),
      delivery(NotifyDelivery::duringPull),
      volume(level) {}

WaveOutStream::~WaveOutStream() {
    silence();
    close();
}

bool WaveOutStream::open(const AudioFormat& wanted, std::string& error) {
    format = wanted;
    flowing = false;
    if (!device->open(format, *this)) {
        error = device->lastError();
        return false;
    }
    if (delivery == NotifyDelivery::notifierThread) {
        notifier = std::thread([this] { notifierLoop(); });
    }
    running = true;
    device->start();
    return true;
}

bool WaveOutStream::enqueue(WaveHeader* header) {
    if (inFlight.load(std::memory_order_acquire) >= kMaxQueued) {
        return false;
    }
    markQueued(*header);
    inFlight.fetch_add(1, std::memory_order_acq_rel);
    // Cannot fail: a queue slot is freed before the done that lowers inFlight is posted.
    queue.push(Queued{header, header->data, header->bufferLength});
    return true;
}

void WaveOutStream::reset() {
    if (!running) {
        return;
    }
    // With the callback stopped, this thread may take its side of both queues.
    device->stop();
    while (const auto queued = queue.pop()) {
        finished(queued->header);
    }
    playedOfFront = 0;
    flowing = false;
    waitUntilDelivered(donePushed.load(std::memory_order_acquire));
    device->start();
}

void WaveOutStream::close() {
    if (!running) {
        return;
    }
    running = false;
    device->stop();
    device->close();
    if (notifier.joinable()) {
        quitting.store(true, std::memory_order_release);
        wake.release();
        notifier.join();
    }
}

void WaveOutStream::fill(std::span<uint8_t> out) noexcept {
    std::size_t written = 0;
    while (written < out.size()) {
        const Queued* front = queue.front();
        if (front == nullptr) {
            // Running dry after sound, not before the first header or after a reset, is a gap
            // the listener hears; one gap counts once however long it lasts.
            if (flowing) {
                noteUnderrun();
                flowing = false;
            }
            std::memset(out.data() + written, format.silence(), out.size() - written);
            break;
        }
        const std::size_t count =
            std::min<std::size_t>(front->length - playedOfFront, out.size() - written);
        if (count > 0) {
            std::memcpy(out.data() + written, front->data + playedOfFront, count);
        }
        written += count;
        flowing = flowing || count > 0;
        playedOfFront += static_cast<uint32_t>(count);
        if (playedOfFront == front->length) {
            WaveHeader* header = front->header;
            queue.pop();
            playedOfFront = 0;
            finished(header);
        }
    }
    applyVolume(out);
}

void WaveOutStream::finished(WaveHeader* header) noexcept {
    donePushed.fetch_add(1, std::memory_order_relaxed);
    if (delivery == NotifyDelivery::duringPull) {
        deliver(header);
        return;
    }
    done.push(header);  // room guaranteed: at most kMaxQueued headers are in flight
    wake.release();
}

void WaveOutStream::deliver(WaveHeader* header) noexcept {
    markDone(*header);
    if (WaveOutNotify* target = notify.load(std::memory_order_acquire)) {
        target->post(mm::MM_WOM_DONE, header);
    }
    inFlight.fetch_sub(1, std::memory_order_acq_rel);
    doneDelivered.fetch_add(1, std::memory_order_release);
    doneDelivered.notify_all();
}

void WaveOutStream::notifierLoop() {
    for (;;) {
        wake.acquire();
        while (const auto header = done.pop()) {
            deliver(*header);
        }
        if (quitting.load(std::memory_order_acquire)) {
            return;
        }
    }
}

void WaveOutStream::waitUntilDelivered(uint64_t count) {
    uint64_t delivered = doneDelivered.load(std::memory_order_acquire);
    while (delivered < count) {
        doneDelivered.wait(delivered, std::memory_order_acquire);
        delivered = doneDelivered.load(std::memory_order_acquire);
    }
}

void WaveOutStream::applyVolume(std::span<uint8_t> out) const noexcept {
    const uint32_t both = volume.load(std::memory_order_relaxed);
    if (both == 0xFFFFFFFF) {
        return;
    }
    const int32_t left = static_cast<int32_t>(both & 0xFFFF);
    const int32_t right = format.channels == 2 ? static_cast<int32_t>(both >> 16) : left;
    const std::size_t frameBytes = static_cast<std::size_t>(format.frameBytes());
    const std::size_t sampleBytes = static_cast<std::size_t>(format.bits / 8);
    for (std::size_t frame = 0; frame + frameBytes <= out.size(); frame += frameBytes) {
        for (int32_t channel = 0; channel < format.channels; ++channel) {
            const int32_t gain = channel == 0 ? left : right;
            uint8_t* sample = out.data() + frame + static_cast<std::size_t>(channel) * sampleBytes;
            if (sampleBytes == 1) {
                *sample = static_cast<uint8_t>((*sample - 128) * gain / 0xFFFF + 128);
            } else if (sampleBytes == 2) {
                const int32_t value = static_cast<int16_t>(sample[0] | (sample[1] << 8));
                const int32_t scaled = value * gain / 0xFFFF;
                sample[0] = static_cast<uint8_t>(scaled & 0xFF);
                sample[1] = static_cast<uint8_t>((scaled >> 8) & 0xFF);
            } else {
                // 24 bits: the top byte's sign spread over the upper eight bits of 32.
                const auto raw =
                    static_cast<uint32_t>(sample[0] | sample[1] << 8 | sample[2] << 16);
                const int32_t value = static_cast<int32_t>(raw << 8) >> 8;
                const auto scaled = static_cast<uint32_t>(
                    static_cast<int32_t>(static_cast<int64_t>(value) * gain / 0xFFFF));
                sample[0] = static_cast<uint8_t>(scaled & 0xFF);
                sample[1] = static_cast<uint8_t>((scaled >> 8) & 0xFF);
                sample[2] = static_cast<uint8_t>((scaled >> 16) & 0xFF);
            }
        }
    }
}

}  // namespace platform
