#include "settings/playing_names.h"

#include <algorithm>
#include <cctype>

namespace settings {

const std::array<std::string_view, 2> layoutNames = {"hertz", "semitones"};
const std::array<std::string_view, scaleCount> scaleNames = {
    "chromatic", "major", "minor", "major-pentatonic", "minor-pentatonic", "blues", "whole-tone",
};
const std::array<std::string_view, 12> rootNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                    "F#", "G",  "G#", "A",  "A#", "B"};
const std::array<std::string_view, 2> loudnessNames = {"designed", "decibels"};

namespace {

struct Alias {
    std::string_view name;
    int32_t pitchClass;
};

const Alias flatRoots[] = {{"Db", 1}, {"Eb", 3}, {"Gb", 6}, {"Ab", 8}, {"Bb", 10}};

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

template <size_t Count>
std::optional<int32_t> indexOf(const std::array<std::string_view, Count>& names,
                               std::string_view text) {
    for (size_t i = 0; i < Count; ++i) {
        if (sameText(names[i], text)) {
            return static_cast<int32_t>(i);
        }
    }
    return std::nullopt;
}

}  // namespace

std::string_view layoutName(PitchLayout layout) {
    return layout == PitchLayout::Semitones ? layoutNames[1] : layoutNames[0];
}

std::optional<PitchLayout> parseLayout(std::string_view text) {
    const auto index = indexOf(layoutNames, text);
    if (!index) {
        return std::nullopt;
    }
    return static_cast<PitchLayout>(*index);
}

std::string_view scaleName(MusicalScale scale) {
    const auto index = static_cast<int32_t>(scale);
    return index >= 0 && index < scaleCount ? scaleNames[static_cast<size_t>(index)]
                                            : scaleNames[0];
}

std::optional<MusicalScale> parseScale(std::string_view text) {
    const auto index = indexOf(scaleNames, text);
    if (!index) {
        return std::nullopt;
    }
    return static_cast<MusicalScale>(*index);
}

std::string_view rootName(int32_t pitchClass) {
    return rootNames[static_cast<size_t>((pitchClass % 12 + 12) % 12)];
}

std::optional<int32_t> parseRoot(std::string_view text) {
    if (const auto index = indexOf(rootNames, text)) {
        return index;
    }
    for (const Alias& flat : flatRoots) {
        if (sameText(flat.name, text)) {
            return flat.pitchClass;
        }
    }
    return std::nullopt;
}

std::string glideText(int32_t glide) {
    return glide == glideClassic ? std::string("classic") : std::to_string(glide);
}

std::optional<int32_t> parseGlide(std::string_view text) {
    if (sameText(text, "classic")) {
        return glideClassic;
    }
    // Few enough digits that the value cannot overflow before the range check.
    if (text.empty() || text.size() > 9 || !allDigits(text)) {
        return std::nullopt;
    }
    int32_t ms = 0;
    for (const char digit : text) {
        ms = ms * 10 + (digit - '0');
    }
    if (ms > glideMaxMs) {
        return std::nullopt;
    }
    return ms;
}

std::string concertPitchText(int32_t tenths) {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::optional<int32_t> parseConcertPitch(std::string_view text) {
    const size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view("0") : text.substr(point + 1);
    // Three digits at most before the point, so the value cannot overflow before the check.
    if (whole.empty() || whole.size() > 3 || !allDigits(whole) || fraction.size() != 1 ||
        !allDigits(fraction)) {
        return std::nullopt;
    }
    int32_t tenths = 0;
    for (const char digit : whole) {
        tenths = tenths * 10 + (digit - '0');
    }
    tenths = tenths * 10 + (fraction[0] - '0');
    if (tenths < concertPitchLowest || tenths > concertPitchHighest) {
        return std::nullopt;
    }
    return tenths;
}

std::string_view loudnessName(LoudnessCurve curve) {
    return curve == LoudnessCurve::Decibels ? loudnessNames[1] : loudnessNames[0];
}

std::optional<LoudnessCurve> parseLoudness(std::string_view text) {
    const auto index = indexOf(loudnessNames, text);
    if (!index) {
        return std::nullopt;
    }
    return static_cast<LoudnessCurve>(*index);
}

}  // namespace settings
