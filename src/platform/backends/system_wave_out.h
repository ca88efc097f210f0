#pragma once
// The wave output the pages play through: WaveOut over the sound output of this machine.

#include <memory>

#include "platform/waveout/wave_out_api.h"

namespace platform {

// GUI thread.
std::unique_ptr<WaveOutApi> makeSystemWaveOut();

}  // namespace platform
