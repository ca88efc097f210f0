#include "platform/backends/system_direct_sound.h"

#include "platform/backends/system_audio_device.h"
#include "platform/dsound/direct_sound_library.h"

namespace platform {

std::unique_ptr<platform::DirectSoundLibrary> makeSystemDirectSound() {
    return std::make_unique<platform::DirectSoundOnAudio>(makeSystemAudioDevice);
}

}  // namespace platform
