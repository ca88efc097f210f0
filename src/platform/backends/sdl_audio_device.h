#pragma once
// The real audio output: an SDL2 device on whatever sound system SDL finds (PipeWire,
// PulseAudio, ALSA, JACK). SDL_AUDIODRIVER=dummy plays silently; =disk writes the exact output
// stream to SDL_DISKAUDIOFILE.
//
// Thread: as AudioDevice says: GUI for every operation, audio for the source (called on SDL's
// audio thread under SDL's device lock, which stop() takes briefly; nothing else here holds it).
// It is no ClockedAudioDevice, so a wave output cannot post from inside its callback.

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/audio_device.h"

namespace platform {

class SdlAudioDevice final : public AudioDevice {
  public:
    SdlAudioDevice() = default;
    // Opens through SDL's driver of that name ("alsa") unless SDL_AUDIODRIVER names another.
    explicit SdlAudioDevice(std::string driver) : preferredDriver(std::move(driver)) {}
    ~SdlAudioDevice() override { close(); }
    SdlAudioDevice(const SdlAudioDevice&) = delete;
    SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

    bool open(const AudioFormat& format, AudioSource& source) override;
    void start() override;
    void stop() override;
    void close() override;
    uint64_t framesPlayed() const override { return frames.load(std::memory_order_relaxed); }
    AudioFormat format() const override { return current; }
    std::string lastError() const override { return error; }
    bool lost() const override;

    // Thread: GUI, while open. The SDL driver in use ("pipewire", "pulseaudio", "disk" ...).
    std::string driverName() const;

  private:
    static void callback(void* self, uint8_t* stream, int length) noexcept;

    uint32_t device = 0;  // SDL_AudioDeviceID, 0 while closed
    AudioFormat current;
    AudioSource* source = nullptr;
    std::atomic<uint64_t> frames{0};
    std::string error;
    std::string preferredDriver;
};

}  // namespace platform
