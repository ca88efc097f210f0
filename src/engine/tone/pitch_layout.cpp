#include "engine/tone/pitch_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/tone/cursor_mapping.h"

namespace engine {

namespace {

constexpr double a4Pitch = 69.0;

bool semitones(const CursorLayoutSetup& setup) {
    return setup.layout == settings::PitchLayout::Semitones;
}

// The semitones layout spreads the range over the columns between the first and the last, so
// that both edges play their note exactly.
double lastColumn(platform::ScreenSize screen) {
    return static_cast<double>(screen.width - 1);
}

}  // namespace

CursorLayoutSetup currentCursorLayout() {
    return CursorLayoutSetup{settings::CursorLayout.load(std::memory_order_relaxed),
                             settings::LowNote.load(std::memory_order_relaxed),
                             settings::HighNote.load(std::memory_order_relaxed)};
}

double concertPitch() {
    return settings::ConcertPitch.load(std::memory_order_relaxed) / 10.0;
}

double concertOffset() {
    const int32_t tenths = settings::ConcertPitch.load(std::memory_order_relaxed);
    // Exactly none at the standard pitch, so that the engines play there as they always have.
    return tenths == settings::defaultConcertPitch
               ? 0.0
               : 12.0 * std::log2(tenths / static_cast<double>(settings::defaultConcertPitch));
}

double frequencyFromPitch(double pitch) {
    return concertPitch() * std::exp2((pitch - a4Pitch) / 12.0);
}

double pitchFromFrequency(double frequency) {
    if (!(frequency > 0.0)) {
        return -std::numeric_limits<double>::infinity();
    }
    return a4Pitch + 12.0 * std::log2(frequency / concertPitch());
}

double pitchFromCursor(int32_t x, platform::ScreenSize screen, const CursorLayoutSetup& setup) {
    if (!semitones(setup)) {
        return pitchFromFrequency(frequencyFromCursor(x, screen));
    }
    const auto low = static_cast<double>(setup.lowNote);
    if (screen.width <= 1) {
        return low;
    }
    const auto column = static_cast<double>(std::clamp(x, 0, screen.width - 1));
    return low + (static_cast<double>(setup.highNote) - low) * column / lastColumn(screen);
}

double frequencyFromCursor(int32_t x, platform::ScreenSize screen, const CursorLayoutSetup& setup) {
    if (!semitones(setup)) {
        return static_cast<double>(frequencyFromCursor(x, screen));
    }
    return frequencyFromPitch(pitchFromCursor(x, screen, setup));
}

std::optional<double> cursorFromPitch(double pitch, platform::ScreenSize screen,
                                      const CursorLayoutSetup& setup) {
    if (!semitones(setup)) {
        const auto column = cursorFromFrequency(frequencyFromPitch(pitch), screen);
        return column ? std::optional<double>(*column) : std::nullopt;
    }
    const auto low = static_cast<double>(setup.lowNote);
    const auto span = static_cast<double>(setup.highNote) - low;
    if (screen.width <= 1 || !(span > 0.0) || !(pitch >= low) || pitch > low + span) {
        return std::nullopt;
    }
    return (pitch - low) / span * lastColumn(screen);
}

}  // namespace engine
