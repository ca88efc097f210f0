#include <gtest/gtest.h>

#include <string>

#include "format_option.h"

namespace {

using platform::SampleDepth;
using platform::SoundFileKind;

// A 22050 Hz, 8-bit mono render: the settings of a first start.
constexpr engine::OutputFormat kFirstStart{};

struct Good {
    const char* text;
    SoundFileKind kind;
    int32_t rate;
    SampleDepth depth;
    int32_t channels;
};

TEST(FormatOption, FieldsLeftOutKeepTheRendersOwnFormat) {
    const Good cases[] = {
        {"wav:48000:24:2", SoundFileKind::wav, 48000, SampleDepth::bits24, 2},
        {"flac", SoundFileKind::flac, 22050, SampleDepth::bits8, 1},
        {"wav::float", SoundFileKind::wav, 22050, SampleDepth::floating, 1},
        {"ogg:96000::2", SoundFileKind::ogg, 96000, SampleDepth::bits8, 2},
        {"opus", SoundFileKind::opus, 48000, SampleDepth::bits8, 1},
        {"mp3:44100", SoundFileKind::mp3, 44100, SampleDepth::bits8, 1},
    };
    for (const Good& good : cases) {
        std::optional<FormatRequest> request;
        std::string error;
        ASSERT_TRUE(parseFormatOption(good.text, request, error)) << good.text << ": " << error;
        const platform::SoundFileFormat file = resolvedFormat(*request, kFirstStart);
        EXPECT_EQ(file.kind, good.kind) << good.text;
        EXPECT_EQ(file.rate, good.rate) << good.text;
        EXPECT_EQ(file.depth, good.depth) << good.text;
        EXPECT_EQ(file.channels, good.channels) << good.text;
    }
}

TEST(FormatOption, BadValuesSayWhatIsWrong) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "a kind of file"},
        {"aiff", "a kind of file"},
        {"wav:32000", "a rate of"},
        {"wav:44100:12", "bits of"},
        {"wav:44100:16:6", "1 or 2 channels"},
        {"wav:44100:16:2:x", "KIND[:RATE"},
        {"ogg:44100:16", "ogg files have no bit depth"},
        {"flac::float", "not float"},
        {"opus:44100", "48000 Hz only"},
        {"mp3:96000", "up to 48000 Hz"},
    };
    for (const auto& [text, words] : cases) {
        std::optional<FormatRequest> request;
        std::string error;
        EXPECT_FALSE(parseFormatOption(text, request, error)) << text;
        EXPECT_NE(error.find(words), std::string::npos) << text << ": " << error;
        EXPECT_FALSE(request.has_value()) << text;
    }
}

TEST(FormatOption, TheEnginesComputeTheFilesDepthAtItsRate) {
    const auto at48k = engineFormatFor({SoundFileKind::wav, 48000, SampleDepth::floating, 1}, {});
    EXPECT_TRUE(at48k.rate() == 48000 && at48k.twentyFourBit && !at48k.stereo);
    EXPECT_EQ(at48k.frameBytes(), 3);
    // The designed rates stay byte for byte as recorded.
    const auto designed = engineFormatFor({SoundFileKind::flac, 44100, SampleDepth::bits8, 2}, {});
    EXPECT_TRUE(designed.exportRate == 0 && designed.highRate && !designed.sixteenBit &&
                !designed.twentyFourBit);
    // The compressed kinds take the render's own depth.
    EXPECT_FALSE(
        engineFormatFor({SoundFileKind::ogg, 48000, SampleDepth::bits24, 2}, {}).twentyFourBit);
}

}  // namespace
