#pragma once
// One open wave output: the headers queued on an AudioDevice and the road back of the finished
// ones to the notification target.
//
// Headers travel to the device's callback through a lock-free queue and come back through
// another; the callback neither allocates nor locks. A notifier thread turns finished headers
// into MM_WOM_DONE posts, so a slow post never stalls the device. With a clocked device, whose
// callback runs on the GUI thread that advances it, the posts may instead be made inside the
// callback, which keeps them in step with the clock.

#include <atomic>
#include <cstdint>
#include <memory>
#include <semaphore>
#include <span>
#include <string>
#include <thread>

#include "platform/audio_device.h"
#include "platform/waveout/spsc_queue.h"
#include "platform/waveout/wave_out_api.h"

namespace platform {

enum class NotifyDelivery {
    notifierThread,  // posts come from a thread of the stream's own
    duringPull,      // posts come from inside the device's callback
};

class WaveOutStream final : public AudioSource {
  public:
    static constexpr std::size_t kMaxQueued = 64;

    // Posts from the notifier thread: right for any device.
    WaveOutStream(std::unique_ptr<AudioDevice> output, WaveOutNotify* target,
                  const std::atomic<uint32_t>& level);
    // Posts from inside the pull, in step with the clock: only a clocked device may call a post
    // (which locks and allocates) from its callback.
    WaveOutStream(std::unique_ptr<ClockedAudioDevice> output, WaveOutNotify* target,
                  const std::atomic<uint32_t>& level);
    ~WaveOutStream();
    WaveOutStream(const WaveOutStream&) = delete;
    WaveOutStream& operator=(const WaveOutStream&) = delete;

    // Thread: GUI. Opens and starts the device; false with `error` set when it refuses.
    bool open(const AudioFormat& format, std::string& error);

    // Thread: GUI. False when kMaxQueued headers are already on their way.
    bool enqueue(WaveHeader* header);

    // Thread: GUI. Every queued header is posted as done, in order, before this returns.
    void reset();

    // Thread: GUI. Headers written whose done has not been posted yet.
    uint32_t outstanding() const { return inFlight.load(std::memory_order_acquire); }

    // Thread: GUI. Stops the device and the notifier; nothing is posted afterwards.
    void close();

    // Thread: GUI. The device went away under the open stream.
    bool deviceLost() const { return device != nullptr && device->lost(); }

    // Thread: any thread.
    WaveOutNotify* target() const { return notify.load(std::memory_order_acquire); }

    // Thread: GUI. From now on nothing at all is posted (the target is going away).
    void silence() { notify.store(nullptr, std::memory_order_release); }

    // Thread: audio.
    void fill(std::span<uint8_t> out) noexcept override;

  private:
    struct Queued {
        WaveHeader* header;
        const uint8_t* data;
        uint32_t length;
    };

    void finished(WaveHeader* header) noexcept;
    void deliver(WaveHeader* header) noexcept;
    void applyVolume(std::span<uint8_t> out) const noexcept;
    void notifierLoop();
    void waitUntilDelivered(uint64_t count);

    std::unique_ptr<AudioDevice> device;
    std::atomic<WaveOutNotify*> notify;
    NotifyDelivery delivery;
    const std::atomic<uint32_t>& volume;
    AudioFormat format;
    bool running = false;

    SpscQueue<Queued, kMaxQueued> queue;      // GUI -> audio
    SpscQueue<WaveHeader*, kMaxQueued> done;  // device -> notifier
    uint32_t playedOfFront = 0;               // audio: bytes of the front header played
    bool flowing = false;  // audio: sound was played since open, reset or the last underrun
    std::atomic<uint32_t> inFlight{0};
    std::atomic<uint64_t> donePushed{0};
    std::atomic<uint64_t> doneDelivered{0};
    std::counting_semaphore<> wake{0};
    std::atomic<bool> quitting{false};
    std::thread notifier;
};

}  // namespace platform
