#include <gtest/gtest.h>

#include <vector>

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

}  // namespace
