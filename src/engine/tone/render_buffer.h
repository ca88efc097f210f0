#pragma once
// Renders one buffer: a glide from the old tone to the new one, then a steady tail cut where the
// phase returns to zero, so that the buffer can be repeated back to back without a seam.
//
// Thread: any thread (every function here; one buffer is rendered by one thread at a time).

#include <cstdint>
#include <span>

#include "engine/tone/wave_table.h"

namespace render {
// The longest buffer at the designed rates (22050 and 44100 Hz).
constexpr int32_t kMaxBufferBytes = 40000;
// The longest buffer at any rate and depth an export renders at (up to 96000 Hz, 24-bit): the
// frames kMaxBufferBytes holds at 44100 Hz in 16-bit stereo, for as long, in 3-byte samples.
constexpr int32_t kLargestBufferBytes = 130608;
}  // namespace render

namespace engine {

struct OutputFormat {
    bool stereo = false;      // 2 channels, else 1
    bool highRate = false;    // 44100 Hz, else 22050 Hz
    bool sixteenBit = false;  // 16-bit signed little-endian, else 8-bit unsigned
    int32_t exportRate = 0;   // frames per second of an export at a rate of its own; 0: none
    // 24-bit signed little-endian samples, for an export only (the settings hold 8 or 16): the
    // products the 16-bit lookup shifts down, kept whole.
    bool twentyFourBit = false;
    // An export's: the rate the play was heard at, whose whole phase steps set its pitch, when
    // the export renders at another; 0: none.
    int32_t heardRate = 0;

    int32_t rate() const {
        if (exportRate != 0) {
            return exportRate;
        }
        return highRate ? 44100 : 22050;
    }
    int32_t sampleBytes() const {
        if (twentyFourBit) {
            return 3;
        }
        return sixteenBit ? 2 : 1;
    }
    int32_t frameBytes() const { return (stereo ? 2 : 1) * sampleBytes(); }
    int32_t bytesPerSecond() const { return rate() * frameBytes(); }
};

// The output format of the process-wide settings, at the export rate and depth if they are set.
OutputFormat currentOutputFormat();

// Makes every later play run at `rate` frames per second (8000 to 96000) in place of the rate the
// settings say, for an offline export; 0 goes back to the settings' rate. Thread: only while no
// engine plays.
void setExportRate(int32_t rate);

// Makes every later play render 24-bit samples, for an offline export; false goes back to the
// settings' depth. Thread: only while no engine plays.
void setExportTwentyFourBit(bool twentyFourBit);

// Makes every later play at another rate sound the pitches a play at `rate` sounds (0: none), as
// setExportRate. Thread: only while no engine plays.
void setExportHeardRate(int32_t rate);

// The longest buffer renderBuffer writes in `format`: render::kMaxBufferBytes at the designed
// rates, the same time at a higher export rate; 24-bit samples hold the frames of 16-bit ones,
// so that both depths of a render refill at the same moments.
int32_t maxBufferBytes(OutputFormat format);

// Renders into `buffer` (at least render::kLargestBufferBytes long) and returns the bytes
// written, a multiple of the frame size. The glide and the shortest buffer last the same time at
// every rate. Frequencies in Hz, amplitudes of full scale 128; `vibrato` 0..3.
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
