#include "engine/midi/midi_tone.h"

#include <algorithm>
#include <cmath>

namespace engine {

namespace {

constexpr int32_t kHighestNote = 127;

}  // namespace

float exactPitch(int32_t x, int32_t width, PitchRange range) {
    return static_cast<float>(range.high - range.low) * static_cast<float>(x) /
               static_cast<float>(width) +
           static_cast<float>(range.low);
}

std::optional<int32_t> cursorFromPitch(float pitch, int32_t width, PitchRange range) {
    if (width <= 0) {
        return std::nullopt;
    }
    const bool rising = range.high >= range.low;
    const auto reaches = [&](int32_t x) {
        const float at = exactPitch(x, width, range);
        return rising ? at >= pitch : at <= pitch;
    };
    const auto onScreen = [&](int32_t x) {
        const float at = exactPitch(x, width, range);
        return rising ? at <= pitch : at >= pitch;
    };
    if (!reaches(width - 1) || !onScreen(0)) {
        return std::nullopt;
    }
    int32_t below = 0;
    int32_t reached = width - 1;
    while (below < reached) {
        const int32_t middle = below + (reached - below) / 2;
        if (reaches(middle)) {
            reached = middle;
        } else {
            below = middle + 1;
        }
    }
    return reached;
}

int32_t integerNote(int32_t x, int32_t width, PitchRange range) {
    return range.low + (range.high - range.low) * x / width;
}

int32_t chooseNote(float pitch, int32_t sounding, int32_t bendRange, int32_t integer) {
    const auto sounded = static_cast<float>(sounding);
    const auto range = static_cast<float>(bendRange);
    int32_t note = sounding;
    if (pitch - sounded > range) {
        note = sounding + 2 * bendRange;
        if (std::fabs(pitch - static_cast<float>(note)) > range) {
            note = integer;
        }
    } else if (sounded - pitch > range) {
        note = sounding - 2 * bendRange;
        if (std::fabs(pitch - static_cast<float>(note)) > range) {
            note = integer;
        }
        note = std::max(note, 1);
    }
    if (note == kNoNote) {
        // Nothing sounds and the pitch lies within the range of "no note": strike its own note,
        // or a wide bend range would keep the first tick silent.
        note = integer;
    }
    // A data byte has 7 bits: the step up near the top would leave them.
    return std::min(note, kHighestNote);
}

int32_t bendFor(float pitch, int32_t note, int32_t bendRange) {
    if (bendRange == 0) {
        return kBendCentre;
    }
    const float bend =
        (pitch - static_cast<float>(note)) * 8192.0F / static_cast<float>(bendRange) + 8192.0F;
    return std::clamp(static_cast<int32_t>(bend), 1, 16383);
}

int32_t levelFor(int32_t y, int32_t height, int32_t midiVolume, LoudnessSetup loudness) {
    if (loudness.even()) {
        const int32_t level = synthLevelFor(decibelsFromCursor(y, height, loudness.rangeDb));
        return level * midiVolume / 100;
    }
    const auto fromTop = static_cast<uint32_t>(127 - y * 127 / height);
    return static_cast<int32_t>(fromTop * static_cast<uint32_t>(midiVolume) / 100);
}

}  // namespace engine
