#include "engine/tone/scale_notes.h"

#include <cmath>
#include <initializer_list>

namespace engine {

namespace {

// Bit i: i semitones above the root.
constexpr uint16_t steps(std::initializer_list<int> semitones) {
    uint16_t mask = 0;
    for (const int semitone : semitones) {
        mask = static_cast<uint16_t>(mask | (1U << semitone));
    }
    return mask;
}

constexpr uint16_t scaleTable[settings::scaleCount] = {
    steps({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}),  // chromatic
    steps({0, 2, 4, 5, 7, 9, 11}),                  // major
    steps({0, 2, 3, 5, 7, 8, 10}),                  // natural minor
    steps({0, 2, 4, 7, 9}),                         // major pentatonic
    steps({0, 3, 5, 7, 10}),                        // minor pentatonic
    steps({0, 3, 5, 6, 7, 10}),                     // blues
    steps({0, 2, 4, 6, 8, 10}),                     // whole tone
};

// Beyond this a double no longer tells neighbouring notes apart well enough to matter, and no
// sound lies there anyway.
constexpr double farthestPitch = 1.0e9;

int64_t pitchClass(int64_t value) {
    return ((value % 12) + 12) % 12;
}

}  // namespace

uint16_t scaleSteps(settings::MusicalScale scale) {
    const auto index = static_cast<int32_t>(scale);
    return index >= 0 && index < settings::scaleCount ? scaleTable[index] : scaleTable[0];
}

bool isScaleNote(int64_t note, settings::MusicalScale scale, int32_t root) {
    return ((scaleSteps(scale) >> pitchClass(note - root)) & 1U) != 0;
}

double nearestScaleNote(double pitch, settings::MusicalScale scale, int32_t root) {
    if (!std::isfinite(pitch) || std::fabs(pitch) > farthestPitch) {
        return pitch;
    }
    // The scale over two octaves, so that the searches below need no wrapping: bit i + 12 is
    // bit i. Every scale has a note in each octave, so both searches end within twelve notes.
    const uint32_t steps = scaleSteps(scale);
    const uint32_t twoOctaves = steps | steps << 12;
    const double lowerWhole = std::floor(pitch);
    const auto below = static_cast<int64_t>(lowerWhole);
    int64_t down = pitchClass(below - root) + 12;
    while (((twoOctaves >> down) & 1U) == 0) {
        --down;
    }
    const double lower = lowerWhole - static_cast<double>(pitchClass(below - root) + 12 - down);
    const double upperWhole = std::ceil(pitch);
    const auto above = static_cast<int64_t>(upperWhole);
    int64_t up = pitchClass(above - root);
    while (((twoOctaves >> up) & 1U) == 0) {
        ++up;
    }
    const double upper = upperWhole + static_cast<double>(up - pitchClass(above - root));
    return pitch - lower <= upper - pitch ? lower : upper;
}

}  // namespace engine
