#pragma once
// Any PCM layout a test asks for, including those the sample pages never build.

#include <cstdint>

#include "platform/wave_format.h"

inline platform::WaveFormatPcm pcmFormat(uint16_t channels, uint32_t rate, uint16_t bits) {
    platform::WaveFormatPcm format;
    format.channels = channels;
    format.samplesPerSec = rate;
    format.bitsPerSample = bits;
    format.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    format.avgBytesPerSec = rate * format.blockAlign;
    return format;
}
