#include "settings/playing_names.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace {

// A file or command line written from the names is always understood.
TEST(PlayingNames, EveryNameReadsBackAsWhatItNames) {
    for (const auto layout : {settings::PitchLayout::Hertz, settings::PitchLayout::Semitones}) {
        EXPECT_EQ(settings::parseLayout(settings::layoutName(layout)), layout);
    }
    for (int32_t i = 0; i < settings::scaleCount; ++i) {
        const auto scale = static_cast<settings::MusicalScale>(i);
        EXPECT_EQ(settings::parseScale(settings::scaleName(scale)), scale);
    }
    for (int32_t root = 0; root < 12; ++root) {
        EXPECT_EQ(settings::parseRoot(settings::rootName(root)), root);
    }
    for (const int32_t glide : {settings::glideClassic, 0, 80, settings::glideMaxMs}) {
        EXPECT_EQ(settings::parseGlide(settings::glideText(glide)), glide);
    }
    EXPECT_EQ(settings::parseScale("Whole-Tone"), settings::MusicalScale::WholeTone);
    EXPECT_EQ(settings::parseRoot("bb"), 10) << "flats and any case";
}

TEST(PlayingNames, BadTextIsRefused) {
    for (const std::string_view text : {"", "linear", "hertz ", "semitone"}) {
        EXPECT_EQ(settings::parseLayout(text), std::nullopt) << '"' << text << '"';
    }
    for (const std::string_view text : {"", "dorian", "major pentatonic", " major"}) {
        EXPECT_EQ(settings::parseScale(text), std::nullopt) << '"' << text << '"';
    }
    for (const std::string_view text : {"", "H", "C##", "Cb", "c #", "1", "C4"}) {
        EXPECT_EQ(settings::parseRoot(text), std::nullopt) << '"' << text << '"';
    }
    for (const std::string_view text :
         {"", "-1", "+5", "5001", "12ms", " 12", "0x10", "99999999999", "classical"}) {
        EXPECT_EQ(settings::parseGlide(text), std::nullopt) << '"' << text << '"';
    }
}

}  // namespace
