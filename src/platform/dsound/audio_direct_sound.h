#pragma once
// The DirectSound device over an audio output. Creating it opens the output once, paused, to
// learn that it exists. Each sound buffer then opens its own output in its own format (the probe
// is closed first, so an output that allows one client still works). No output is emulated: a
// buffer keeps up with an output of any period (see LoopingSoundBuffer).
//
// Threads: GUI, as IDirectSound says.

#include <memory>

#include "platform/audio_device.h"
#include "platform/dsound/dsound_api.h"
#include "platform/dsound/looping_sound_buffer.h"

namespace platform {

class AudioDirectSound final : public IDirectSound, private AudioSource {
  public:
    // Null, with the output's reason in `error`, when no output can be opened.
    static AudioDirectSound* create(AudioDeviceFactory makeDevice, std::string& error);

    ds::HResult setCooperativeLevel(uintptr_t window, uint32_t level) override;
    ds::HResult getCaps(DsCaps* caps) override;
    ds::HResult createSoundBuffer(const DsBufferDesc* desc, IDirectSoundBuffer** buffer,
                                  void* outer) override;
    uint32_t release() override;
    std::string lastDeviceError() const override { return deviceError; }

  private:
    explicit AudioDirectSound(AudioDeviceFactory makeDevice);
    ~AudioDirectSound();

    void fill(std::span<uint8_t> out) noexcept override;

    AudioDeviceFactory makeDevice;
    std::unique_ptr<AudioDevice> probe;
    uint32_t cooperativeLevel = 0;
    std::string deviceError;
};

}  // namespace platform
