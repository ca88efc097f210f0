#include "engine/wave/cursor_mapping.h"

#include <algorithm>

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

int32_t amplitudeFromCursor(int32_t y, platform::ScreenSize screen) {
    if (screen.height <= 0) {
        return 0;
    }
    const int32_t row = clampToScreen(y, screen.height);
    const int32_t volume = settings::Volume.load(std::memory_order_relaxed);
    return (screen.height - row) * volume / screen.height;
}

}  // namespace engine
