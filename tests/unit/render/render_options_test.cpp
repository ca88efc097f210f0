#include <gtest/gtest.h>

#include <vector>

#include "message_text.h"
#include "render_limits.h"
#include "render_options.h"

namespace {

std::optional<RenderOptions> parse(std::vector<const char*> arguments, std::string& error) {
    return parseRenderOptions(static_cast<int>(arguments.size()), arguments.data(), error);
}

TEST(RenderOptions, DefaultsAreAFullHdScreenAndTheGesturesOwnLength) {
    std::string error;
    const auto options = parse({"--engine", "wave", "--gesture", "g.txt", "--out", "o.wav"}, error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->screen.width, 1920);
    EXPECT_EQ(options->screen.height, 1080);
    EXPECT_FALSE(options->durationMs.has_value());
    EXPECT_TRUE(options->settingsPath.empty());
}

TEST(RenderOptions, EveryOptionIsTakenInEitherSpelling) {
    std::string error;
    const auto options = parse({"--engine=midi", "--gesture", "g", "--out=o.mid", "--settings",
                                "s.ini", "--screen=800x600", "--duration", "1500"},
                               error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->engine, "midi");
    EXPECT_EQ(options->outPath, "o.mid");
    EXPECT_EQ(options->settingsPath, "s.ini");
    EXPECT_EQ(options->screen.width, 800);
    EXPECT_EQ(options->screen.height, 600);
    EXPECT_EQ(options->durationMs, 1500);
}

TEST(RenderOptions, BadCommandLinesSayWhatIsWrong) {
    std::string error;
    EXPECT_FALSE(parse({"--engine", "banjo", "--gesture", "g", "--out", "o"}, error));
    EXPECT_EQ(error, "unknown engine 'banjo': choose wave, dsound or midi");
    EXPECT_FALSE(
        parse({"--engine", "wave", "--gesture", "g", "--out", "o", "--screen", "0x1080"}, error));
    EXPECT_NE(error.find("--screen"), std::string::npos);
    EXPECT_FALSE(
        parse({"--engine", "wave", "--gesture", "g", "--out", "o", "--screen", "1920"}, error));
    EXPECT_FALSE(
        parse({"--engine", "wave", "--gesture", "g", "--out", "o", "--duration", "-5"}, error));
    EXPECT_NE(error.find("--duration"), std::string::npos);
    EXPECT_FALSE(parse({"--engine", "wave", "--gesture", "g"}, error));
    EXPECT_EQ(error, "--engine, --gesture and --out are required");
    EXPECT_FALSE(parse({"--engine", "wave", "--loud", "yes"}, error));
    EXPECT_EQ(error, "unknown option '--loud'");
    EXPECT_FALSE(parse({"--engine"}, error));
    EXPECT_EQ(error, "option --engine needs a value");
}

TEST(RenderOptions, AnOptionGivenTwiceIsRefused) {
    std::string error;
    EXPECT_FALSE(parse({"--engine", "wave", "--gesture", "g", "--out", "o", "--out=p"}, error));
    EXPECT_EQ(error, "option --out is given twice");
    EXPECT_FALSE(parse(
        {"--engine", "wave", "--gesture", "g", "--out", "o", "--duration", "5", "--duration", "6"},
        error));
    EXPECT_EQ(error, "option --duration is given twice");
}

TEST(RenderOptions, WhatEverTheArgumentsHoldTheErrorIsOneLine) {
    std::string error;
    EXPECT_FALSE(parse({"-\x8f\n\xfa"}, error));  // found by fuzzing: a name without a value
    EXPECT_EQ(error, "option '-?\?\?' needs a value");
    EXPECT_FALSE(parse({"--engine", "wave", "--lo\rud", "yes"}, error));
    EXPECT_EQ(error, "unknown option '--lo?ud'");
    EXPECT_FALSE(
        parse({"--engine", "wave", "--gesture", "g", "--out", "o", "--screen", "1\n2"}, error));
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

// C0 and C1 controls, DEL and bytes outside UTF-8 would break the line or work on the terminal.
TEST(RenderOptions, MessagesShowControlsAndStrayBytesAsQuestionMarksAndKeepLetters) {
    const std::pair<const char*, const char*> cases[] = {
        {"plain name.txt", "plain name.txt"},
        {"caf\xc3\xa9 \xe2\x99\xaa \xf0\x9f\x8e\xb5", "caf\xc3\xa9 \xe2\x99\xaa \xf0\x9f\x8e\xb5"},
        {"bell\x07 esc\x1b[31m del\x7f", "bell? esc?[31m del?"},
        {"c1 \xc2\x9b and \xc2\x85 but \xc2\xa0", "c1 ? and ? but \xc2\xa0"},
        {"raw \x9b \xff \xc3 \xe2\x99 \xed\xa0\x80 \xc0\xaf", "raw ? ? ? ?? ??? ??"},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(shownForMessage(text), shown) << text;
    }
    EXPECT_EQ(quotedForMessage("\x1b]0;title\x07"), "'?]0;title?'");
}

TEST(RenderOptions, NumbersTooBigAreReportedAsSuchAndLongTextIsCut) {
    std::string error;
    EXPECT_FALSE(parse(
        {"--engine", "wave", "--gesture", "g", "--out", "o", "--duration", "99999999999999999999"},
        error));
    EXPECT_EQ(error, "--duration '99999999999999999999' is too big");
    EXPECT_FALSE(parse(
        {"--engine", "wave", "--gesture", "g", "--out", "o", "--screen", "200000x10"}, error));
    EXPECT_NE(error.find("too big"), std::string::npos) << error;
    EXPECT_FALSE(parse(
        {"--engine", "wave", "--gesture", "g", "--out", "o", "--screen", "1x99999999999999999999"},
        error));
    EXPECT_NE(error.find("too big"), std::string::npos) << error;

    const std::string longName(500, 'q');
    EXPECT_FALSE(parse({"--engine", longName.c_str(), "--gesture", "g", "--out", "o"}, error));
    EXPECT_EQ(error,
              "unknown engine '" + std::string(80, 'q') + "...': choose wave, dsound or midi");
}

std::optional<RenderOptions> parseAid(const char* name, const char* value, std::string& error) {
    return parse({"--engine", "wave", "--gesture", "g", "--out", "o", name, value}, error);
}

TEST(RenderOptions, ThePlayingAidsAreTakenAsTheHelpSpellsThem) {
    using settings::MusicalScale;
    using settings::PitchLayout;
    std::string error;
    auto options = parseAid("--layout", "semitones:45:93", error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->playing.layout->layout, PitchLayout::Semitones);
    EXPECT_EQ(options->playing.layout->lowNote, 45);
    EXPECT_EQ(options->playing.layout->highNote, 93);
    EXPECT_FALSE(options->playing.correction || options->playing.glide) << "the rest as stored";

    options = parseAid("--correction", "minor-pentatonic:Eb:70:120", error);
    ASSERT_TRUE(options) << error;
    const engine::CorrectionSetup& correction = *options->playing.correction;
    EXPECT_TRUE(correction.on);
    EXPECT_EQ(correction.scale, MusicalScale::MinorPentatonic);
    EXPECT_EQ(correction.root, 3);
    EXPECT_EQ(correction.strength, 70);
    EXPECT_EQ(correction.rateMs, 120);

    options = parseAid("--correction", "major:C", error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->playing.correction->strength, settings::defaultStrength);
    EXPECT_EQ(options->playing.correction->rateMs, settings::defaultCorrectionRate);

    options = parseAid("--glide", "100", error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->playing.glide, 100);
    options = parseAid("--glide", "classic", error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->playing.glide, settings::glideClassic);
    options = parseAid("--layout", "hertz", error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->playing.layout->layout, PitchLayout::Hertz);
    options = parseAid("--correction", "off", error);
    ASSERT_TRUE(options) << error;
    EXPECT_FALSE(options->playing.correction->on);
}

TEST(RenderOptions, BadPlayingAidsSayWhatIsWrong) {
    const struct {
        const char* name;
        const char* value;
        const char* mention;
    } cases[] = {
        {"--layout", "semitones", "semitones:LOW:HIGH"},
        {"--layout", "hertz:1:2", "semitones:LOW:HIGH"},
        {"--layout", "semitones:60:60", "low one below the high one"},
        {"--layout", "semitones:93:45", "low one below the high one"},
        {"--layout", "semitones:0:128", "0..127"},
        {"--layout", "semitones:-1:20", "0..127"},
        {"--correction", "major", "SCALE:ROOT"},
        {"--correction", "lydian:C", "chromatic, major, minor"},
        {"--correction", "major:H", "the root"},
        {"--correction", "major:C:101", "strength"},
        {"--correction", "major:C:50:2001", "rate"},
        {"--correction", "major:C:50:80:1", "SCALE:ROOT"},
        {"--glide", "-1", "classic or 0..5000"},
        {"--glide", "5001", "classic or 0..5000"},
        {"--glide", "10ms", "classic or 0..5000"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parseAid(c.name, c.value, error)) << c.name << " " << c.value;
        EXPECT_NE(error.find(c.mention), std::string::npos) << c.value << ": " << error;
        EXPECT_NE(error.find(c.value), std::string::npos) << "names what it got: " << error;
    }
}

TEST(RenderLimits, TheLongestRenderFillsAWaveFileAtItsByteRate) {
    for (const int64_t bytesPerSecond : {22050, 44100, 88200, 176400}) {
        const int64_t longest = longestWaveRenderMs(bytesPerSecond);
        const auto bytesFor = [&](int64_t ms) { return ms * bytesPerSecond / 1000; };
        // The data, its headers and three buffers past the end fit the 32-bit sizes ...
        EXPECT_LE(bytesFor(longest) + 3 * 40050 + 56, int64_t{0xFFFFFFFE}) << bytesPerSecond;
        // ... and a second more would not.
        EXPECT_GT(bytesFor(longest + 1000) + 3 * 40050 + 56, int64_t{0xFFFFFFFE});
    }
    // 8-bit mono at 22050 Hz holds more than two days; 16-bit stereo at 44100 Hz over 6 hours.
    EXPECT_GT(longestWaveRenderMs(22050), int64_t{48} * 3600 * 1000);
    EXPECT_GT(longestWaveRenderMs(176400), int64_t{6} * 3600 * 1000);
}

}  // namespace
