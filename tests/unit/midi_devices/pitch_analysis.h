#pragma once
// The pitch of a stretch of synthesised sound, whatever its harmonics: the lag of the highest
// autocorrelation peak, refined between neighbouring lags. Samples are 16-bit, interleaved
// stereo; the left side is analysed.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace midi_test {

inline std::vector<int16_t> readStereoS16(const std::string& path, std::size_t skipBytes = 0) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<int16_t> left;
    for (std::size_t at = skipBytes; at + 4 <= bytes.size(); at += 4) {
        left.push_back(static_cast<int16_t>(static_cast<uint8_t>(bytes[at]) |
                                            static_cast<uint8_t>(bytes[at + 1]) << 8));
    }
    return left;
}

inline double energy(const std::vector<int16_t>& samples, std::size_t from, std::size_t count) {
    double sum = 0;
    for (std::size_t i = from; i < from + count && i < samples.size(); ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return sum / static_cast<double>(count);
}

// Frequency in Hz of samples[from, from + count), between 50 and 2000 Hz; 0 for silence.
inline double pitchAt(const std::vector<int16_t>& samples, std::size_t from, std::size_t count,
                      int rate) {
    if (from + count > samples.size() || energy(samples, from, count) < 100) {
        return 0;
    }
    const auto correlation = [&](std::size_t lag) {
        double sum = 0;
        for (std::size_t i = from; i + lag < from + count; ++i) {
            sum += static_cast<double>(samples[i]) * samples[i + lag];
        }
        return sum / static_cast<double>(count - lag);
    };
    const auto shortest = static_cast<std::size_t>(rate / 2000);
    const auto longest = static_cast<std::size_t>(rate / 50);
    std::vector<double> values(longest + 2, 0);
    for (std::size_t lag = shortest; lag <= longest + 1; ++lag) {
        values[lag] = correlation(lag);
    }
    const double top =
        *std::max_element(values.begin() + static_cast<std::ptrdiff_t>(shortest), values.end());
    // The first peak near the highest: the fundamental, not a multiple of its period.
    for (std::size_t lag = shortest + 1; lag <= longest; ++lag) {
        if (values[lag] >= 0.9 * top && values[lag] >= values[lag - 1] &&
            values[lag] >= values[lag + 1]) {
            const double a = values[lag - 1];
            const double b = values[lag];
            const double c = values[lag + 1];
            const double shift = (a - c) / (2 * (a - 2 * b + c));
            return rate / (static_cast<double>(lag) + (std::isfinite(shift) ? shift : 0));
        }
    }
    return 0;
}

}  // namespace midi_test
