#pragma once
// The DirectSound library as this system provides it: "dsound.dll" loads, and its
// "DirectSoundCreate" opens an AudioDirectSound on a fresh audio output.
//
// Threads: GUI.

#include "platform/audio_device.h"
#include "platform/dsound/dsound_api.h"

namespace platform {

class DirectSoundOnAudio final : public DirectSoundLibrary, private DirectSoundCreateFunction {
  public:
    explicit DirectSoundOnAudio(AudioDeviceFactory makeDevice);

    Module loadLibrary(const char* name) override;
    DirectSoundCreateFunction* getProcAddress(Module module, const char* name) override;
    std::string lastDeviceError() const override { return deviceError; }

  private:
    ds::HResult create(const void* device, IDirectSound** directSound, void* outer) override;

    AudioDeviceFactory makeDevice;
    std::string deviceError;
};

}  // namespace platform
