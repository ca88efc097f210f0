#include "platform/backends/sdl_wave_out.h"

#include "platform/backends/sdl_audio_device.h"
#include "platform/waveout/wave_out.h"

namespace platform {

std::unique_ptr<WaveOutApi> makeSdlWaveOut() {
    return std::make_unique<WaveOut>([] { return std::make_unique<SdlAudioDevice>(); });
}

}  // namespace platform
