#include "settings/playing_settings.h"

#include <optional>
#include <string>
#include <string_view>

#include "settings/playing_names.h"
#include "settings/playing_values.h"
#include "settings/settings_section.h"

namespace settings {

namespace {

constexpr const char* playingSection = "Playing";

constexpr const char* layoutKey = "CursorLayout";
constexpr const char* lowNoteKey = "LowNote";
constexpr const char* highNoteKey = "HighNote";
constexpr const char* correctionKey = "Correction";
constexpr const char* scaleKey = "CorrectionScale";
constexpr const char* rootKey = "CorrectionRoot";
constexpr const char* strengthKey = "CorrectionStrength";
constexpr const char* rateKey = "CorrectionRate";
constexpr const char* glideKey = "Glide";
constexpr const char* concertPitchKey = "ConcertPitch";
constexpr const char* loudnessKey = "LoudnessCurve";
constexpr const char* loudnessRangeKey = "LoudnessRange";

constexpr const char* allKeys[] = {layoutKey, lowNoteKey,      highNoteKey, correctionKey,
                                   scaleKey,  rootKey,         strengthKey, rateKey,
                                   glideKey,  concertPitchKey, loudnessKey, loudnessRangeKey};

bool neitherStore(const StoreSelector& store) {
    return !store.useRegistry() && !store.useIni();
}

SettingsSection sectionOf(const StoreSelector& store) {
    return SettingsSection(store.key, store.useIni() ? store.iniFile : nullptr, playingSection);
}

int32_t readRanged(const SettingsSection& section, const char* key, int32_t defaultValue,
                   int32_t low, int32_t high) {
    const int32_t value = section.readInt(key, defaultValue);
    return value >= low && value <= high ? value : defaultValue;
}

template <typename Value>
Value readNamed(const SettingsSection& section, const char* key,
                std::optional<Value> (*parse)(std::string_view), Value defaultValue) {
    const std::optional<std::string> text = section.readString(key, nullptr);
    return text ? parse(*text).value_or(defaultValue) : defaultValue;
}

bool atDefaults() {
    return CursorLayout == PitchLayout::Hertz && LowNote == defaultLowNote &&
           HighNote == defaultHighNote && !Correction &&
           CorrectionScale == MusicalScale::Chromatic && CorrectionRoot == 0 &&
           CorrectionStrength == defaultStrength && CorrectionRate == defaultCorrectionRate &&
           Glide == glideClassic && ConcertPitch == defaultConcertPitch &&
           Loudness == LoudnessCurve::Designed && LoudnessRange == defaultLoudnessRange;
}

bool storeHoldsGroup(const SettingsSection& section) {
    for (const char* key : allKeys) {
        if (section.readString(key, nullptr)) {
            return true;
        }
    }
    return false;
}

}  // namespace

void readPlayingSettings(const StoreSelector& store) {
    if (neitherStore(store)) {
        return;
    }
    const SettingsSection section = sectionOf(store);
    CursorLayout = readNamed(section, layoutKey, parseLayout, PitchLayout::Hertz);
    const int32_t low = readRanged(section, lowNoteKey, defaultLowNote, 0, highestMidiNote);
    const int32_t high = readRanged(section, highNoteKey, defaultHighNote, 0, highestMidiNote);
    // An empty or reversed range has no width to lay the notes over.
    LowNote = low < high ? low : defaultLowNote;
    HighNote = low < high ? high : defaultHighNote;
    Correction = section.readInt(correctionKey, 0) != 0;
    CorrectionScale = readNamed(section, scaleKey, parseScale, MusicalScale::Chromatic);
    CorrectionRoot = readNamed(section, rootKey, parseRoot, 0);
    CorrectionStrength = readRanged(section, strengthKey, defaultStrength, 0, strengthMaxPercent);
    CorrectionRate = readRanged(section, rateKey, defaultCorrectionRate, 0, correctionRateMaxMs);
    Glide = readNamed(section, glideKey, parseGlide, glideClassic);
    ConcertPitch = readNamed(section, concertPitchKey, parseConcertPitch, defaultConcertPitch);
    Loudness = readNamed(section, loudnessKey, parseLoudness, LoudnessCurve::Designed);
    LoudnessRange = readRanged(section, loudnessRangeKey, defaultLoudnessRange, loudnessRangeLeast,
                               loudnessRangeMost);
}

bool writePlayingSettings(const StoreSelector& store) {
    if (neitherStore(store)) {
        return true;
    }
    SettingsSection section = sectionOf(store);
    if (atDefaults() && !storeHoldsGroup(section)) {
        return true;
    }
    bool ok = section.writeString(layoutKey, std::string(layoutName(CursorLayout)).c_str());
    ok = section.writeInt(lowNoteKey, LowNote) && ok;
    ok = section.writeInt(highNoteKey, HighNote) && ok;
    ok = section.writeInt(correctionKey, Correction ? 1 : 0) && ok;
    ok = section.writeString(scaleKey, std::string(scaleName(CorrectionScale)).c_str()) && ok;
    ok = section.writeString(rootKey, std::string(rootName(CorrectionRoot)).c_str()) && ok;
    ok = section.writeInt(strengthKey, CorrectionStrength) && ok;
    ok = section.writeInt(rateKey, CorrectionRate) && ok;
    ok = section.writeString(glideKey, glideText(Glide).c_str()) && ok;
    ok = section.writeString(concertPitchKey, concertPitchText(ConcertPitch).c_str()) && ok;
    ok = section.writeString(loudnessKey, std::string(loudnessName(Loudness)).c_str()) && ok;
    return section.writeInt(loudnessRangeKey, LoudnessRange) && ok;
}

}  // namespace settings
