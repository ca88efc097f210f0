// Kept apart from the Qt sources: the wave output's headers use names Qt defines as macros.
#include "app/sdl_wave_out.h"

#include "platform/backends/sdl_audio_device.h"
#include "platform/waveout/wave_out.h"

namespace app {

std::unique_ptr<platform::WaveOutApi> makeSdlWaveOut() {
    return std::make_unique<platform::WaveOut>(
        [] { return std::make_unique<platform::SdlAudioDevice>(); });
}

}  // namespace app
