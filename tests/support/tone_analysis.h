#pragma once
// Small helpers the Wave engine tests share: expected buffers, file bytes, pitch by zero crossings.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/tone/render_buffer.h"
#include "engine/tone/wave_table.h"

namespace wave_test {

using Bytes = std::vector<uint8_t>;

// One buffer as the tone core renders it with the current output settings and a Timbre 0 table.
inline Bytes renderedBuffer(int32_t newFrequency, int32_t oldFrequency, int32_t newAmplitude,
                            int32_t oldAmplitude) {
    engine::WaveTable table;
    engine::buildWaveTable(table, 0);
    Bytes buffer(40050, 0);
    const int32_t length =
        engine::renderBuffer(buffer, table, newFrequency, oldFrequency, newAmplitude, oldAmplitude);
    buffer.resize(static_cast<std::size_t>(length));
    return buffer;
}

inline Bytes fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The samples of a WAV file as this program writes it: the "data" size at byte 54, the data
// from byte 58 (a pad byte may follow).
inline Bytes waveData(const Bytes& file) {
    if (file.size() < 58) {
        return {};
    }
    const std::size_t size =
        file[54] | file[55] << 8 | file[56] << 16 | std::size_t{file[57]} << 24;
    return Bytes(file.begin() + 58,
                 file.begin() + 58 + static_cast<std::ptrdiff_t>(std::min(size, file.size() - 58)));
}

// Left-channel samples centred on zero.
inline std::vector<int> leftSamples(const Bytes& bytes, engine::OutputFormat format) {
    std::vector<int> samples;
    const auto step = static_cast<std::size_t>(format.frameBytes());
    for (std::size_t at = 0; at + step <= bytes.size(); at += step) {
        if (format.sixteenBit) {
            samples.push_back(static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8));
        } else {
            samples.push_back(static_cast<int>(bytes[at]) - 128);
        }
    }
    return samples;
}

// Frequency in Hz from the rising zero crossings of `samples`, measured between the first and
// the last crossing so that partial periods at the ends do not count. 0 without two crossings.
inline double crossingFrequency(const std::vector<int>& samples, int32_t rate) {
    std::size_t first = 0;
    std::size_t last = 0;
    int crossings = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0) {
            if (crossings == 0) {
                first = i;
            }
            last = i;
            ++crossings;
        }
    }
    if (crossings < 2) {
        return 0.0;
    }
    return (crossings - 1) * static_cast<double>(rate) / static_cast<double>(last - first);
}

}  // namespace wave_test
