#pragma once
// One frame of the tone in an output format, and the phase step of a frequency: the per-frame
// work that every sample engine shares.

#include <cstdint>

#include "engine/tone/render_buffer.h"
#include "engine/tone/wave_table.h"

// The 16-bit phase advance per frame for `frequency` Hz at `rate` frames per second, truncated.
inline int32_t phaseIncrement(int32_t frequency, int32_t rate) {
    return static_cast<int32_t>(static_cast<int64_t>(frequency) * 65536 / rate);
}

// The phase advance per frame with 16 bits of fraction (the 16-bit phase in the upper half of 32
// bits), rounded: for a frequency that is not whole hertz. Below 0 Hz, or not a number: 0.
inline uint32_t finePhaseIncrement(double frequency, int32_t rate) {
    const double steps = frequency * 4294967296.0 / static_cast<double>(rate);
    if (!(steps > 0.0)) {
        return 0;
    }
    // `steps` is positive: adding a half and truncating rounds it without a library call.
    return steps >= 4294967295.0
               ? UINT32_MAX
               : static_cast<uint32_t>(steps + 0.5);  // NOLINT(bugprone-incorrect-roundings)
}

// An export at a rate other than the play's: its designed tones take the pitch the play's whole
// phase steps gave, not the nearest whole step at the export's rate.
inline bool rendersHeardPitch(engine::OutputFormat format) {
    return format.heardRate != 0 && format.heardRate != format.rate();
}

// The phase advance with 16 bits of fraction that sounds at the format's rate the designed
// `frequency` as a play at the heard rate sounds it (only the low 16 bits of its whole step take
// part there, as in a 16-bit phase).
inline uint32_t heardPhaseIncrement(int32_t frequency, engine::OutputFormat format) {
    const auto wholeSteps = static_cast<uint16_t>(phaseIncrement(frequency, format.heardRate));
    return finePhaseIncrement(wholeSteps * static_cast<double>(format.heardRate) / 65536.0,
                              format.rate());
}

// Writes format.frameBytes() bytes at `out`: the 8-bit lookup for 8-bit output, the
// interpolating 16-bit or 24-bit lookup (low byte first) for 16-bit or 24-bit output, the same
// sample on both channels for stereo.
inline void writeFrame(uint8_t* out, const engine::WaveTable& table, engine::OutputFormat format,
                       uint16_t phase, int32_t amplitude) {
    if (format.twentyFourBit) {
        const auto sample =
            static_cast<uint32_t>(engine::sampleTwentyFourBit(table, phase, amplitude));
        out[0] = static_cast<uint8_t>(sample & 0xFF);
        out[1] = static_cast<uint8_t>((sample >> 8) & 0xFF);
        out[2] = static_cast<uint8_t>((sample >> 16) & 0xFF);
        if (format.stereo) {
            out[3] = out[0];
            out[4] = out[1];
            out[5] = out[2];
        }
    } else if (format.sixteenBit) {
        const auto sample =
            static_cast<uint16_t>(engine::sampleSixteenBit(table, phase, amplitude));
        out[0] = static_cast<uint8_t>(sample & 0xFF);
        out[1] = static_cast<uint8_t>(sample >> 8);
        if (format.stereo) {
            out[2] = out[0];
            out[3] = out[1];
        }
    } else {
        out[0] = engine::sampleEightBit(table, phase, amplitude);
        if (format.stereo) {
            out[1] = out[0];
        }
    }
}
