#include "settings/played_settings.h"

#include <strings.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>

#include "settings/playing_names.h"
#include "settings/playing_values.h"
#include "settings/settings_values.h"

namespace settings {

namespace {

std::string decimal(int32_t value) {
    return std::to_string(value);
}

template <int32_t Low, int32_t High>
std::optional<int32_t> ranged(std::string_view text) {
    int32_t value = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (failure != std::errc() || end != text.data() + text.size() || value < Low || value > High) {
        return std::nullopt;
    }
    return value;
}

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// Two spellings of a flag, as the wave format settings keep the rate and resolution.
template <const char* Off, const char* On>
std::string pairText(int32_t value) {
    return value != 0 ? On : Off;
}
template <const char* Off, const char* On>
std::optional<int32_t> pairParse(std::string_view text) {
    if (sameText(text, Off)) {
        return 0;
    }
    if (sameText(text, On)) {
        return 1;
    }
    return std::nullopt;
}

constexpr char rate22[] = "22kHz";
constexpr char rate44[] = "44kHz";
constexpr char bits8[] = "8bit";
constexpr char bits16[] = "16bit";

template <std::atomic<int32_t>& Value>
int32_t numberOf() {
    return Value.load(std::memory_order_relaxed);
}
template <std::atomic<int32_t>& Value>
void setNumber(int32_t value) {
    Value = value;
}
template <std::atomic<bool>& Value>
int32_t flagOf() {
    return Value.load(std::memory_order_relaxed) ? 1 : 0;
}
template <std::atomic<bool>& Value>
void setFlag(int32_t value) {
    Value = value != 0;
}

#define LIRVETO_NUMBER(key, value, low, high) \
    { key, numberOf<value>, decimal, ranged<low, high>, setNumber<value> }
#define LIRVETO_FLAG(key, value) \
    { key, flagOf<value>, decimal, ranged<0, 1>, setFlag<value> }

const std::array<PlayedSetting, 25> table = {{
    LIRVETO_NUMBER("Volume", Volume, 0, 100),
    LIRVETO_NUMBER("Pitch", Pitch, 1, 10),
    LIRVETO_NUMBER("Vibrato", Vibrato, 0, 3),
    LIRVETO_NUMBER("Timbre", Timbre, 0, 10),
    LIRVETO_NUMBER("SwoopMode", SwoopMode, 0, 1),
    LIRVETO_FLAG("Stereo", Stereo),
    {"SampleRate", flagOf<HighRate>, pairText<rate22, rate44>, pairParse<rate22, rate44>,
     setFlag<HighRate>},
    {"Resolution", flagOf<SixteenBit>, pairText<bits8, bits16>, pairParse<bits8, bits16>,
     setFlag<SixteenBit>},
    LIRVETO_NUMBER("MidiVolume", MidiVolume, 0, 100),
    LIRVETO_NUMBER("MidiPitch", MidiPitch, 0, 127),
    LIRVETO_NUMBER("MidiPitch2", MidiPitch2, 0, 127),
    LIRVETO_NUMBER("PitchBend", PitchBend, 0, 127),
    LIRVETO_NUMBER("Instrument", Instrument, 0, 128),
    {"CursorLayout", [] { return static_cast<int32_t>(CursorLayout.load()); },
     [](int32_t value) { return std::string(layoutName(static_cast<PitchLayout>(value))); },
     [](std::string_view text) {
         const auto layout = parseLayout(text);
         return layout ? std::optional<int32_t>(static_cast<int32_t>(*layout)) : std::nullopt;
     },
     [](int32_t value) { CursorLayout = static_cast<PitchLayout>(value); }},
    LIRVETO_NUMBER("LowNote", LowNote, 0, highestMidiNote),
    LIRVETO_NUMBER("HighNote", HighNote, 0, highestMidiNote),
    LIRVETO_FLAG("Correction", Correction),
    {"CorrectionScale", [] { return static_cast<int32_t>(CorrectionScale.load()); },
     [](int32_t value) { return std::string(scaleName(static_cast<MusicalScale>(value))); },
     [](std::string_view text) {
         const auto scale = parseScale(text);
         return scale ? std::optional<int32_t>(static_cast<int32_t>(*scale)) : std::nullopt;
     },
     [](int32_t value) { CorrectionScale = static_cast<MusicalScale>(value); }},
    {"CorrectionRoot", numberOf<CorrectionRoot>,
     [](int32_t value) { return std::string(rootName(value)); }, parseRoot,
     setNumber<CorrectionRoot>},
    LIRVETO_NUMBER("CorrectionStrength", CorrectionStrength, 0, strengthMaxPercent),
    LIRVETO_NUMBER("CorrectionRate", CorrectionRate, 0, correctionRateMaxMs),
    {"Glide", numberOf<Glide>, glideText, parseGlide, setNumber<Glide>},
    {"ConcertPitch", numberOf<ConcertPitch>, concertPitchText, parseConcertPitch,
     setNumber<ConcertPitch>},
    {"LoudnessCurve", [] { return static_cast<int32_t>(Loudness.load()); },
     [](int32_t value) { return std::string(loudnessName(static_cast<LoudnessCurve>(value))); },
     [](std::string_view text) {
         const auto curve = parseLoudness(text);
         return curve ? std::optional<int32_t>(static_cast<int32_t>(*curve)) : std::nullopt;
     },
     [](int32_t value) { Loudness = static_cast<LoudnessCurve>(value); }},
    LIRVETO_NUMBER("LoudnessRange", LoudnessRange, loudnessRangeLeast, loudnessRangeMost),
}};

#undef LIRVETO_NUMBER
#undef LIRVETO_FLAG

}  // namespace

std::span<const PlayedSetting> playedSettings() {
    return table;
}

std::optional<std::size_t> playedSettingIndex(std::string_view key) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [key](const PlayedSetting& s) { return sameText(key, s.key); });
    return found == table.end() ? std::nullopt : std::optional<std::size_t>(found - table.begin());
}

}  // namespace settings
