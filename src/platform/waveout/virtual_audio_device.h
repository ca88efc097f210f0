#pragma once
// An audio output on a manual clock, for deterministic tests and offline rendering: nothing plays
// until the clock is advanced, and advancing pulls from the source exactly the frames that a real
// output would have played in that time, in pieces of at most one period.
//
// Thread: GUI (the one thread that advances the clock), every operation; the callback runs
// there too, inside advanceFrames and advanceToMs.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio_device.h"

namespace platform {

class VirtualAudioDevice final : public ClockedAudioDevice {
  public:
    bool open(const AudioFormat& format, AudioSource& source) override;
    void start() override { started = isOpen; }
    void stop() override { started = false; }
    void close() override;
    uint64_t framesPlayed() const override { return pulled; }
    AudioFormat format() const override { return current; }
    std::string lastError() const override { return error; }
    bool lost() const override { return isOpen && gone; }

    // Moves the clock on by `frames`. While started, the source is asked for exactly those frames;
    // while stopped they pass in silence. Must not be called from inside the callback.
    void advanceFrames(uint64_t frames);

    // Moves the clock to `ms` milliseconds after open: frame floor(ms x rate / 1000), so that
    // millisecond steps never drift. A time already passed does nothing.
    void advanceToMs(uint64_t ms);

    // Frames the clock has moved since open, played or not.
    uint64_t clockFrames() const { return clock; }

    // Every byte pulled since open, when keepPulled(true) was set before.
    void keepPulled(bool keep) { keeping = keep; }
    const std::vector<uint8_t>& pulledBytes() const { return kept; }

    // Makes the next opens use a period of `frames` whatever was asked, as a device with a fixed
    // period does (0: the period asked for).
    void choosePeriodFrames(int32_t frames) { chosenPeriod = frames; }

    // Makes every open fail with `reason` until called with an empty reason.
    void refuseOpen(std::string reason) { refusal = std::move(reason); }

    // Takes the output away under the open device, as an unplugged one: the clock still moves
    // but the source is asked for nothing more. The next open brings it back.
    void loseOutput() { gone = isOpen; }

    bool isStarted() const { return started; }

  private:
    AudioFormat current;
    AudioSource* source = nullptr;
    bool isOpen = false;
    bool started = false;
    bool keeping = false;
    bool gone = false;
    int32_t chosenPeriod = 0;
    uint64_t clock = 0;
    uint64_t pulled = 0;
    std::vector<uint8_t> period;
    std::vector<uint8_t> kept;
    std::string error;
    std::string refusal;
};

}  // namespace platform
