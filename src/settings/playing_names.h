#pragma once
// The playing aids as settings files and command lines spell them: "hertz", "semitones"; scales
// "chromatic", "major", "minor", "major-pentatonic", "minor-pentatonic", "blues", "whole-tone";
// roots "C", "C#", ... "B"; a glide "classic" or whole milliseconds; a concert pitch in hertz
// with at most one decimal ("442", "415.3"); loudness curves "designed", "decibels". Parsing
// ignores case and refuses anything else (no blanks, no units, no signs).
//
// Thread: any thread (every function here).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/playing_values.h"

namespace settings {

// Indexed by the enum's value or the root's pitch class, for help texts and choice lists.
extern const std::array<std::string_view, 2> layoutNames;
extern const std::array<std::string_view, scaleCount> scaleNames;
extern const std::array<std::string_view, 12> rootNames;
extern const std::array<std::string_view, 2> loudnessNames;

std::string_view layoutName(PitchLayout layout);
std::optional<PitchLayout> parseLayout(std::string_view text);

std::string_view scaleName(MusicalScale scale);
std::optional<MusicalScale> parseScale(std::string_view text);

// A pitch class outside 0..11 is named as the one it is equal to modulo 12.
std::string_view rootName(int32_t pitchClass);
// The sharp names, and the flats Db, Eb, Gb, Ab, Bb as the same pitch classes.
std::optional<int32_t> parseRoot(std::string_view text);

// "classic" for glideClassic, else the milliseconds in decimal.
std::string glideText(int32_t glide);
// "classic", or decimal digits giving 0..glideMaxMs.
std::optional<int32_t> parseGlide(std::string_view text);

// Tenths of a hertz as "442.0", and back: concertPitchLowest..concertPitchHighest, digits with
// at most one decimal.
std::string concertPitchText(int32_t tenths);
std::optional<int32_t> parseConcertPitch(std::string_view text);

std::string_view loudnessName(LoudnessCurve curve);
std::optional<LoudnessCurve> parseLoudness(std::string_view text);

}  // namespace settings
