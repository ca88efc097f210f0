// Kept apart from the Qt sources, like the wave output: the SDL headers.
#include "platform/backends/sdl_direct_sound.h"

#include "platform/backends/sdl_audio_device.h"
#include "platform/dsound/direct_sound_library.h"

namespace platform {

std::unique_ptr<platform::DirectSoundLibrary> makeSdlDirectSound() {
    return std::make_unique<platform::DirectSoundOnAudio>(
        [] { return std::make_unique<platform::SdlAudioDevice>(); });
}

}  // namespace platform
