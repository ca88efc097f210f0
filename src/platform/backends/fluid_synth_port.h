#pragma once
// The built-in General MIDI synth: FluidSynth with a SoundFont, rendered in our own audio
// callback in 64-frame chunks so that a message sounds at the next chunk. The SoundFont loads
// once, on a thread of its own, from the moment the port is made; the device is listed only
// when it loaded. Volume goes to the synth's gain.
//
// Threads: as MidiOutPort. fill runs on the audio thread and only renders.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/audio_device.h"
#include "platform/backends/fluid_synth_setup.h"
#include "platform/midiout_api.h"

namespace platform {

using AudioDeviceFactory = std::function<std::unique_ptr<AudioDevice>()>;

class FluidSynthPort final : public MidiOutPort, private AudioSource {
  public:
    static constexpr const char* kProductName = "Lirveto Synth";
    static constexpr int32_t kRate = 44100;
    static constexpr int32_t kPeriodFrames = 256;

    // soundFont: a file to load; empty for FluidSynth's default (Debian's GM SoundFont).
    FluidSynthPort(std::string soundFont, AudioDeviceFactory makeDevice);
    ~FluidSynthPort() override;
    FluidSynthPort(const FluidSynthPort&) = delete;
    FluidSynthPort& operator=(const FluidSynthPort&) = delete;

    // Waits for the load to end. Why it failed, when it did, in loadError().
    bool soundFontLoaded();
    std::string loadError();

    MidiOutCaps caps() const override;
    mm::MmResult open() override;
    void close() override;
    mm::MmResult shortMessage(uint32_t message) override;
    mm::MmResult getVolume(uint32_t* volume) override;
    mm::MmResult setVolume(uint32_t volume) override;
    bool lost() const override { return device != nullptr && device->lost(); }

    // Controlling thread, while open: the output's error text after a failed open.
    std::string deviceError() const { return lastDeviceError; }
    std::string openError() const override { return lastDeviceError; }

  private:
    void load(const std::string& soundFont);
    void fill(std::span<uint8_t> out) noexcept override;

    AudioDeviceFactory makeDevice;
    std::mutex loadMutex;
    std::condition_variable loadEnded;
    bool loading = true;
    bool loaded = false;
    std::string error;
    std::thread loader;

    GmSynth gmSynth;
    _fluid_synth_t* synth = nullptr;  // gmSynth's, once loaded
    std::unique_ptr<AudioDevice> device;
    uint32_t volume = 0xFFFFFFFF;
    std::atomic<int32_t> outputGain{0xFFFF};  // 0..0xFFFF, read by the audio thread
    std::string lastDeviceError;
};

}  // namespace platform
