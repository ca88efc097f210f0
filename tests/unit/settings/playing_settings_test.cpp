// The playing aids' settings through both stores, as the program loads and saves them.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>

#include "settings/playing_values.h"
#include "settings/settings_store.h"
#include "settings_test_env.h"
#include "support/recording_message_box.h"

namespace {

using settings::LoudnessCurve;
using settings::MusicalScale;
using settings::PitchLayout;
using settings_test::readFile;
using Values = std::tuple<PitchLayout, int32_t, int32_t, bool, MusicalScale, int32_t, int32_t,
                          int32_t, int32_t, int32_t, LoudnessCurve, int32_t>;

const Values kDefaults(PitchLayout::Hertz, 45, 93, false, MusicalScale::Chromatic, 0, 100, 80,
                       settings::glideClassic, 4400, LoudnessCurve::Designed, 40);
// Away from the defaults, and together at both ends of every range.
const Values kValueSets[] = {
    {PitchLayout::Semitones, 40, 88, true, MusicalScale::Blues, 10, 65, 150, 0, 4153,
     LoudnessCurve::Decibels, 25},
    {PitchLayout::Hertz, 0, 127, true, MusicalScale::WholeTone, 11, 0, 0, 5000, 4000,
     LoudnessCurve::Decibels, 10},
    {PitchLayout::Semitones, 126, 127, false, MusicalScale::MinorPentatonic, 3, 100, 2000, 120,
     4800, LoudnessCurve::Designed, 60},
};

void apply(const Values& v) {
    std::tie(settings::CursorLayout, settings::LowNote, settings::HighNote, settings::Correction,
             settings::CorrectionScale, settings::CorrectionRoot, settings::CorrectionStrength,
             settings::CorrectionRate, settings::Glide, settings::ConcertPitch, settings::Loudness,
             settings::LoudnessRange) = v;
}

Values current() {
    return {settings::CursorLayout,       settings::LowNote,         settings::HighNote,
            settings::Correction,         settings::CorrectionScale, settings::CorrectionRoot,
            settings::CorrectionStrength, settings::CorrectionRate,  settings::Glide,
            settings::ConcertPitch,       settings::Loudness,        settings::LoudnessRange};
}

class PlayingSettingsTest : public settings_test::SettingsEnvironment {
  protected:
    void SetUp() override {
        SettingsEnvironment::SetUp();
        ini = (root / "playing.ini").string();
        stores = {ini.c_str(), nullptr};  // a settings file, and the registry
    }

    std::string ini;
    std::array<const char*, 2> stores{};
    testing_support::RecordingMessageBox messages;
};

TEST_F(PlayingSettingsTest, EveryValueRoundTripsThroughBothStoresAndBackToTheDefaults) {
    for (const char* store : stores) {
        for (const Values& set : kValueSets) {
            apply(set);
            ASSERT_TRUE(settings::saveSettings(store, messages));
            settings_test::resetSettingsToFirstStart();
            ASSERT_TRUE(settings::loadSettings(store));
            EXPECT_EQ(current(), set) << (store ? "INI file" : "registry");
        }
        // Untouched defaults add nothing to the files (the byte-exact store tests hold them to
        // that); once the group is stored, a return to the defaults must be stored too.
        apply(kDefaults);
        ASSERT_TRUE(settings::saveSettings(store, messages));
        apply(kValueSets[0]);
        ASSERT_TRUE(settings::loadSettings(store));
        EXPECT_EQ(current(), kDefaults) << (store ? "INI file" : "registry");
    }
    EXPECT_TRUE(messages.shown.empty());
}

// By the documented names, so a person can read and edit them.
TEST_F(PlayingSettingsTest, TheFilesHoldTheValuesByName) {
    apply(kValueSets[0]);
    const std::string values[][2] = {{"CursorLayout", "semitones"},
                                     {"LowNote", "40"},
                                     {"HighNote", "88"},
                                     {"Correction", "1"},
                                     {"CorrectionScale", "blues"},
                                     {"CorrectionRoot", "A#"},
                                     {"CorrectionStrength", "65"},
                                     {"CorrectionRate", "150"},
                                     {"Glide", "0"},
                                     {"ConcertPitch", "415.3"},
                                     {"LoudnessCurve", "decibels"},
                                     {"LoudnessRange", "25"}};
    std::string iniLines = "\n\n[Playing]\n";
    std::string registryLines;
    for (const auto& [key, text] : values) {
        iniLines += key + "=" + text + "\n";
        registryLines += "\"" + key + "\"=\"" + text + "\"\n";
    }
    ASSERT_TRUE(settings::saveSettings(ini.c_str(), messages));
    EXPECT_TRUE(readFile(ini).ends_with(iniLines)) << readFile(ini);
    ASSERT_TRUE(settings::saveSettings(nullptr, messages));
    EXPECT_TRUE(readFile(registryFile()).ends_with(registryLines)) << readFile(registryFile());
}

// Each row spoils one value (or the note range); every value then reads as its default,
// whether spoilt or missing.
TEST_F(PlayingSettingsTest, BadValuesReadAsTheirDefaults) {
    const char* const bad[][2] = {{"CursorLayout", "linear"},
                                  {"CursorLayout", ""},
                                  {"LowNote", "-1"},
                                  {"HighNote", "128"},
                                  {"LowNote", "93"},
                                  {"HighNote", "45"},
                                  {"CorrectionScale", "dorian"},
                                  {"CorrectionRoot", "H"},
                                  {"CorrectionStrength", "101"},
                                  {"CorrectionRate", "-5"},
                                  {"CorrectionRate", "2001"},
                                  {"Glide", "-1"},
                                  {"Glide", "5001"},
                                  {"Glide", "100ms"},
                                  {"ConcertPitch", "399.9"},
                                  {"ConcertPitch", "442.25"},
                                  {"LoudnessCurve", "db"},
                                  {"LoudnessRange", "61"}};
    for (const auto& [key, text] : bad) {
        // LowNote 93 alone, HighNote 45 alone: the range left with the other default is empty.
        apply(kValueSets[0]);
        settings_test::writeFile(ini,
                                 std::string("[Version]\n[Playing]\n") + key + "=" + text + "\n");
        ASSERT_TRUE(settings::loadSettings(ini.c_str()));
        EXPECT_EQ(current(), kDefaults) << "INI " << key << "=" << text;

        apply(kValueSets[0]);
        writeRegistry(std::string("\"") + key + "\"=\"" + text + "\"\n");
        ASSERT_TRUE(settings::loadSettings(nullptr));
        EXPECT_EQ(current(), kDefaults) << "registry " << key << "=" << text;
    }
    // A number stored with another type (a hand edit) is no value of ours.
    apply(kValueSets[0]);
    writeRegistry("\"LowNote\"=dword:00000030\n\"HighNote\"=hex:50\n");
    ASSERT_TRUE(settings::loadSettings(nullptr));
    EXPECT_EQ(current(), kDefaults);
}

}  // namespace
