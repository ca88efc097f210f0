#pragma once
// The PCM wave format record: what a wave output is opened with and what a WAV file stores
// (18 bytes little-endian on disk, followed by cbSize extra bytes). A plain record: any thread.

#include <cstdint>

namespace platform {

namespace mm {
constexpr uint16_t WAVE_FORMAT_PCM = 1;
}

struct WaveFormatPcm {
    uint16_t formatTag = mm::WAVE_FORMAT_PCM;
    uint16_t channels = 1;
    uint32_t samplesPerSec = 22050;
    uint32_t avgBytesPerSec = 22050;
    uint16_t blockAlign = 1;
    uint16_t bitsPerSample = 8;
    uint16_t cbSize = 0;
};

}  // namespace platform
