#pragma once
// The wave output the pages play through: WaveOut over an SDL2 device.

#include <memory>

#include "platform/waveout/wave_out_api.h"

namespace platform {

// GUI thread.
std::unique_ptr<WaveOutApi> makeSdlWaveOut();

}  // namespace platform
