#include "engine/tone/loudness_curve.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace engine {

namespace {

constexpr int32_t kTopLevel = 127;
constexpr double kDeviceVolumeStep = 512.0;  // the device volume per level, as the page sends it
constexpr double kDeviceVolumeFull = 65535.0;

}  // namespace

LoudnessSetup currentLoudness() {
    return LoudnessSetup{settings::Loudness.load(std::memory_order_relaxed),
                         settings::LoudnessRange.load(std::memory_order_relaxed)};
}

double decibelsFromCursor(int32_t y, int32_t height, int32_t rangeDb) {
    if (height <= 0) {
        return -std::numeric_limits<double>::infinity();
    }
    const int32_t row = std::clamp(y, 0, height - 1);
    if (row == height - 1) {
        return -std::numeric_limits<double>::infinity();
    }
    return -static_cast<double>(rangeDb) * row / height;
}

int32_t scaledByDecibels(int32_t full, double decibels) {
    if (full <= 0 || !std::isfinite(decibels)) {
        return 0;
    }
    const double scaled = full * std::pow(10.0, decibels / 20.0);
    return std::max(static_cast<int32_t>(std::lround(scaled)), 1);
}

double synthDecibels(int32_t level) {
    const double share = static_cast<double>(level) / kTopLevel;
    return 40.0 * std::log10(share) +
           20.0 * std::log10(level * kDeviceVolumeStep / kDeviceVolumeFull);
}

int32_t synthLevelFor(double decibels) {
    if (!std::isfinite(decibels)) {
        return 0;
    }
    // The curve is nearly 60 log10(L / 127): its inverse finds the neighbourhood, the exact
    // curve decides between the two levels either side.
    const double near = kTopLevel * std::pow(10.0, decibels / 60.0);
    const auto below = std::clamp(static_cast<int32_t>(std::floor(near)), 1, kTopLevel);
    const int32_t above = std::min(below + 1, kTopLevel);
    return std::fabs(synthDecibels(below) - decibels) <= std::fabs(synthDecibels(above) - decibels)
               ? below
               : above;
}

}  // namespace engine
