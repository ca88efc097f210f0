// Kept apart from the Qt sources, like the wave output: the SDL headers.
#include "app/sdl_direct_sound.h"

#include "platform/backends/sdl_audio_device.h"
#include "platform/dsound/direct_sound_library.h"

namespace app {

std::unique_ptr<platform::DirectSoundLibrary> makeSdlDirectSound() {
    return std::make_unique<platform::DirectSoundOnAudio>(
        [] { return std::make_unique<platform::SdlAudioDevice>(); });
}

}  // namespace app
