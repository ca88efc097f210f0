#pragma once
// A secondary sound buffer that an audio device reads in a loop. The device's callback copies
// the next period out of the ring and moves the write cursor past it; lock hands out regions of
// a staging copy, and unlock copies what was written into the ring, byte by byte through
// atomics, so the callback never sees a torn write and takes no lock.
//
// A device that reads more at a time than the stream writes ahead (a sound server's quantum) would
// read past what was written. For such a device the cursors move with the clock, as a sound
// card's do: the write cursor runs one period ahead of what the device has read and reaches the
// end of its next read just as that read comes, so the stream has written it by then.
//
// Threads: create, play, stop and release: GUI. getCurrentPosition: GUI or timer. lock and unlock:
// one thread at a time (the timer's streaming step), never after release. fill: audio.

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio_device.h"
#include "platform/dsound/dsound_api.h"

namespace platform {

class LoopingSoundBuffer final : public IDirectSoundBuffer, private AudioSource {
  public:
    // Frames per device period asked for: short, so the write cursor moves in small steps.
    static constexpr int32_t kPeriodFramesAsked = 128;
    // The longest period whose cursors may step with the reads: half the lead of a stream that
    // writes 441 frames ahead. Longer periods move the cursors with the clock.
    static constexpr int32_t kLongestSteppedPeriodFrames = 220;

    // Opens `device` paused in `format` for a ring of `bytes`. Null when the device cannot be
    // opened, with its lastError() in `error`.
    // `now` gives a steady time in nanoseconds; tests pass their own.
    using Clock = int64_t (*)() noexcept;
    static LoopingSoundBuffer* create(std::unique_ptr<AudioDevice> device,
                                      const PcmWaveFormat& format, uint32_t bytes,
                                      std::string& error, Clock now = steadyNanoseconds);

    ds::HResult play(uint32_t reserved, uint32_t priority, uint32_t flags) override;
    ds::HResult getCurrentPosition(uint32_t* playCursor, uint32_t* writeCursor) override;
    ds::HResult lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* length1,
                     void** region2, uint32_t* length2, uint32_t flags) override;
    ds::HResult unlock(void* region1, uint32_t length1, void* region2, uint32_t length2) override;
    ds::HResult stop() override;
    uint32_t release() override;

    // The device as opened (its real period among the rest).
    AudioFormat deviceFormat() const { return device->format(); }

  private:
    static int64_t steadyNanoseconds() noexcept;

    LoopingSoundBuffer(std::unique_ptr<AudioDevice> device, uint32_t bytes, uint8_t silence,
                       Clock now);
    ~LoopingSoundBuffer();

    void fill(std::span<uint8_t> out) noexcept override;
    // The play cursor at the start of the device's last read and the write cursor at its end;
    // for a device that reads in long periods, both moved on with the clock since.
    void cursors(uint32_t& play, uint32_t& write) const;
    void copyOut(uint32_t from, uint32_t count);
    void copyIn(uint32_t from, uint32_t count);

    std::unique_ptr<AudioDevice> device;
    const uint32_t size;
    std::unique_ptr<std::atomic<uint8_t>[]> ring;
    std::vector<uint8_t> staging;         // lock's regions, at the same offsets as in the ring
    std::atomic<uint32_t> readOffset{0};  // where the callback reads next; audio thread only
    bool playing = false;

    // Set at open: the bytes that pass per second, and the longest read whose cursors do not
    // follow the clock.
    int64_t bytesPerSecond = 0;
    uint32_t frameBytes = 1;
    uint32_t longestStepBytes = 0;
    Clock now;
    // The device's last read (its start, length and time), published under a sequence count
    // that is odd while the callback writes them.
    std::atomic<uint32_t> readSequence{0};
    std::atomic<uint32_t> lastReadStart{0};
    std::atomic<uint32_t> lastReadBytes{0};
    std::atomic<int64_t> lastReadTime{0};

    // Whether the device was lost, as it last said and when (asking it takes the audio thread's
    // lock, which the stream's steps need not take each millisecond: it is asked again after
    // kLostLookNs).
    static constexpr int64_t kLostLookNs = 20'000'000;
    bool deviceLost();
    std::atomic<bool> lostSaid{false};
    std::atomic<int64_t> lostAskedAt{0};
    std::atomic<bool> lostAsked{false};

    // The regions handed out by the lock in force (length 0: none).
    uint32_t lockedOffset = 0;
    uint32_t lockedLength1 = 0;
    uint32_t lockedLength2 = 0;
};

}  // namespace platform
