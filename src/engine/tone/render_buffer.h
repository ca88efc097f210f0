#pragma once
// Renders one buffer: a glide from the old tone to the new one, then a steady tail cut where the
// phase returns to zero, so that the buffer can be repeated back to back without a seam.
//
// Thread: any thread (every function here; one buffer is rendered by one thread at a time).

#include <cstdint>
#include <span>

#include "engine/tone/wave_table.h"

namespace render {
constexpr int32_t kMaxBufferBytes = 40000;
}

namespace engine {

struct OutputFormat {
    bool stereo = false;      // 2 channels, else 1
    bool highRate = false;    // 44100 Hz, else 22050 Hz
    bool sixteenBit = false;  // 16-bit signed little-endian, else 8-bit unsigned

    int32_t rate() const { return highRate ? 44100 : 22050; }
    int32_t frameBytes() const { return (stereo ? 2 : 1) * (sixteenBit ? 2 : 1); }
    int32_t bytesPerSecond() const { return rate() * frameBytes(); }
};

// The output format of the process-wide settings.
OutputFormat currentOutputFormat();

// Renders into `buffer` (at least render::kMaxBufferBytes long) and returns the bytes written,
// a multiple of the frame size. Frequencies in Hz, amplitudes of full scale 128; `vibrato` 0..3.
// Allocates nothing.
int32_t renderBuffer(std::span<uint8_t> buffer, const WaveTable& table, OutputFormat format,
                     int32_t vibrato, int32_t newFrequency, int32_t oldFrequency,
                     int32_t newAmplitude, int32_t oldAmplitude);

// The same with the format and vibrato of the process-wide settings.
int32_t renderBuffer(std::span<uint8_t> buffer, const WaveTable& table, int32_t newFrequency,
                     int32_t oldFrequency, int32_t newAmplitude, int32_t oldAmplitude);

// The same buffer for frequencies that are not whole hertz (the playing aids): the phase runs
// with 16 bits of fraction, so the tone is within a hair of the frequency asked for. Whole-hertz
// frequencies render close to, but not byte for byte as, renderBuffer.
int32_t renderTunedBuffer(std::span<uint8_t> buffer, const WaveTable& table, OutputFormat format,
                          int32_t vibrato, double newFrequency, double oldFrequency,
                          int32_t newAmplitude, int32_t oldAmplitude);
int32_t renderTunedBuffer(std::span<uint8_t> buffer, const WaveTable& table, double newFrequency,
                          double oldFrequency, int32_t newAmplitude, int32_t oldAmplitude);

}  // namespace engine
