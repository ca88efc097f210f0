#pragma once
// The built-in General MIDI synth without a sound device, for offline renders: messages are
// played at once and the sound is rendered on request, so the caller decides at which frame each
// message lands. Same synth, SoundFont choice and volume handling as the live device.
//
// Threads: one controlling thread (the render's); nothing runs on a thread of its own.

#include <cstdint>
#include <span>
#include <string>

#include "platform/backends/fluid_synth_setup.h"
#include "platform/midiout_api.h"

namespace platform {

class OfflineSynthPort final : public MidiOutPort {
  public:
    // soundFont: a file to load; empty for FluidSynth's default. Loads before returning.
    OfflineSynthPort(const std::string& soundFont, int32_t rate);

    // Whether the SoundFont loaded; why not, in words for the user, in loadError().
    bool ready() const { return static_cast<bool>(gmSynth); }
    const std::string& loadError() const { return error; }

    MidiOutCaps caps() const override;
    mm::MmResult open() override;
    void close() override;
    mm::MmResult shortMessage(uint32_t message) override;
    mm::MmResult getVolume(uint32_t* volume) override;
    mm::MmResult setVolume(uint32_t volume) override;

    // The next frames of sound, interleaved stereo 16-bit: samples.size() / 2 frames.
    void render(std::span<int16_t> samples) noexcept;
    // The same as the synth's floats, full scale 1, undithered.
    void render(std::span<float> samples) noexcept;

  private:
    std::string error;  // before gmSynth, which is made with it
    GmSynth gmSynth;
    uint32_t volume = 0xFFFFFFFF;
};

}  // namespace platform
