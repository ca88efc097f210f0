#include "engine/tone/cursor_mapping.h"

#include <algorithm>

#include "engine/tone/loudness_curve.h"
#include "settings/settings_values.h"

namespace engine {

namespace {

// Positions off the primary screen (other monitors) map as the nearest edge, so a cursor on a
// second monitor never produces a wild frequency or a negative loudness.
int32_t clampToScreen(int32_t value, int32_t extent) {
    return std::clamp(value, 0, std::max(extent - 1, 0));
}

}  // namespace

int32_t frequencyFromCursor(int32_t x, platform::ScreenSize screen) {
    if (screen.width <= 0) {
        return 20;
    }
    const uint32_t column = static_cast<uint32_t>(clampToScreen(x, screen.width));
    const uint32_t pitch = static_cast<uint32_t>(settings::Pitch.load(std::memory_order_relaxed));
    const uint32_t product = pitch * column * 1000U;
    return static_cast<int32_t>(product / static_cast<uint32_t>(screen.width)) + 20;
}

std::optional<int32_t> cursorFromFrequency(double frequency, platform::ScreenSize screen) {
    if (screen.width <= 0 || frequency < frequencyFromCursor(0, screen) ||
        frequency > frequencyFromCursor(screen.width - 1, screen)) {
        return std::nullopt;
    }
    // The mapping never falls from left to right: search for the first column that reaches it.
    int32_t below = 0;
    int32_t reached = screen.width - 1;
    while (below < reached) {
        const int32_t middle = below + (reached - below) / 2;
        if (frequencyFromCursor(middle, screen) >= frequency) {
            reached = middle;
        } else {
            below = middle + 1;
        }
    }
    return reached;
}

int32_t amplitudeFromCursor(int32_t y, platform::ScreenSize screen) {
    if (screen.height <= 0) {
        return 0;
    }
    const int32_t row = clampToScreen(y, screen.height);
    const int32_t volume = settings::Volume.load(std::memory_order_relaxed);
    const LoudnessSetup loudness = currentLoudness();
    if (loudness.even()) {
        return scaledByDecibels(volume, decibelsFromCursor(row, screen.height, loudness.rangeDb));
    }
    return (screen.height - row) * volume / screen.height;
}

}  // namespace engine
