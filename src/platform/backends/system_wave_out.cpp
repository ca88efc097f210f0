#include "platform/backends/system_wave_out.h"

#include "platform/backends/system_audio_device.h"
#include "platform/waveout/wave_out.h"

namespace platform {

std::unique_ptr<WaveOutApi> makeSystemWaveOut() {
    return std::make_unique<WaveOut>(makeSystemAudioDevice);
}

}  // namespace platform
