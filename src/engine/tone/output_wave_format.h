#pragma once
// The PCM record of an output format: what its device is opened with and its take holds.

#include <cstdint>

#include "engine/tone/render_buffer.h"
#include "files/pcm_wave_format.h"

namespace engine {

inline platform::WaveFormatPcm pcmWaveFormatOf(OutputFormat format) {
    return files::pcmWaveFormatOfBits(static_cast<uint32_t>(format.rate()), format.stereo,
                                      static_cast<uint16_t>(8 * format.sampleBytes()));
}

}  // namespace engine
