#pragma once
// The PCM wave format record as the sample pages build it from the output format settings.

#include "platform/wave_format.h"

namespace files {

// Channels = stereo + 1, `rate` frames per second, `bits` per sample: 8, 16 or 24 (an export's
// take).
constexpr platform::WaveFormatPcm pcmWaveFormatOfBits(uint32_t rate, bool stereo, uint16_t bits) {
    platform::WaveFormatPcm format;
    format.channels = stereo ? 2 : 1;
    format.samplesPerSec = rate;
    format.bitsPerSample = bits;
    format.blockAlign = static_cast<uint16_t>(format.channels * format.bitsPerSample / 8);
    format.avgBytesPerSec = format.samplesPerSec * format.blockAlign;
    format.cbSize = 0;
    return format;
}

// The same with bits = 8 x (sixteenBit + 1).
constexpr platform::WaveFormatPcm pcmWaveFormatAt(uint32_t rate, bool stereo, bool sixteenBit) {
    return pcmWaveFormatOfBits(rate, stereo, sixteenBit ? 16 : 8);
}

// The same at rate = 22050 x (highRate + 1).
constexpr platform::WaveFormatPcm pcmWaveFormat(bool stereo, bool highRate, bool sixteenBit) {
    return pcmWaveFormatAt(highRate ? 44100 : 22050, stereo, sixteenBit);
}

}  // namespace files
