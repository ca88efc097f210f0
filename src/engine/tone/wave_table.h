#pragma once
// The wave table whose harmonic content `Timbre` sets, and the sample lookups that read it.
// Shared by the Wave and DirectSound engines.

#include <array>
#include <cstdint>

namespace engine {

struct WaveTable {
    static constexpr int kSize = 1024;
    std::array<int32_t, kSize> sixteenBit{};  // within +-32000
    std::array<int32_t, kSize> difference{};  // sixteenBit[k] - sixteenBit[k - 1], wrapping
    std::array<int32_t, kSize> eightBit{};    // within +-127
};

// Fills the three tables for a timbre of 0 (pure sine) to 10 (square-ish). Thread: GUI, only
// while stopped (a playing engine reads the table).
void buildWaveTable(WaveTable& table, int32_t timbre);

// Unsigned 8-bit sample (128 is silence). Thread: any thread (as the next one) for a 16-bit phase
// and an amplitude of full scale 128.
inline uint8_t sampleEightBit(const WaveTable& table, uint16_t phase, int32_t amplitude) {
    const int32_t value = (table.eightBit[phase >> 6] * amplitude) >> 7;
    return static_cast<uint8_t>(value - 128);
}

// The table value at a 16-bit phase, interpolated along the slope from the previous entry by
// the low six bits of the phase: within +-16000 for the timbres 0 to 10.
inline int32_t interpolatedSample(const WaveTable& table, uint16_t phase) {
    const int32_t index = phase >> 6;
    const int32_t fraction = phase & 63;
    return ((fraction * table.difference[index]) >> 6) + table.sixteenBit[index];
}

// Signed 16-bit sample of the interpolated value.
inline int16_t sampleSixteenBit(const WaveTable& table, uint16_t phase, int32_t amplitude) {
    return static_cast<int16_t>(interpolatedSample(table, phase) * amplitude >> 7);
}

// Signed 24-bit sample: the 16-bit one with the bits its shift drops, so that its arithmetic
// shift right by 8 is the 16-bit sample exactly. It fits 24 bits while the interpolated value
// does 16 and the amplitude is at most 128.
inline int32_t sampleTwentyFourBit(const WaveTable& table, uint16_t phase, int32_t amplitude) {
    return interpolatedSample(table, phase) * amplitude * 2;
}

}  // namespace engine
