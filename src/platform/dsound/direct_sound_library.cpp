#include "platform/dsound/direct_sound_library.h"

#include <strings.h>

#include <cstring>

#include "platform/dsound/audio_direct_sound.h"

namespace platform {

DirectSoundOnAudio::DirectSoundOnAudio(AudioDeviceFactory factory)
    : makeDevice(std::move(factory)) {}

DirectSoundLibrary::Module DirectSoundOnAudio::loadLibrary(const char* name) {
    // Library names compare as the system that defined them compares them: without case.
    if (name == nullptr || strcasecmp(name, "dsound.dll") != 0) {
        return nullptr;
    }
    return this;
}

DirectSoundCreateFunction* DirectSoundOnAudio::getProcAddress(Module module, const char* name) {
    if (module != this || name == nullptr || std::strcmp(name, "DirectSoundCreate") != 0) {
        return nullptr;
    }
    return this;
}

ds::HResult DirectSoundOnAudio::create(const void* device, IDirectSound** directSound,
                                       void* outer) {
    if (directSound == nullptr) {
        return ds::DSERR_INVALIDPARAM;
    }
    *directSound = nullptr;
    if (outer != nullptr) {
        return ds::DSERR_NOAGGREGATION;
    }
    if (device != nullptr) {
        return ds::DSERR_NODRIVER;  // only the default output is offered
    }
    AudioDirectSound* opened = AudioDirectSound::create(makeDevice, deviceError);
    if (opened == nullptr) {
        return ds::DSERR_ALLOCATED;
    }
    *directSound = opened;
    return ds::DS_OK;
}

}  // namespace platform
