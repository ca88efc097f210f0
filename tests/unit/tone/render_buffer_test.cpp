#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/tone/render_buffer.h"
#include "support/scoped_settings.h"

namespace {

constexpr int32_t kGlideFramesAt22050 = 2877;

const engine::OutputFormat kAllFormats[] = {
    {false, false, false}, {true, false, false}, {false, true, false}, {true, true, false},
    {false, false, true},  {true, false, true},  {false, true, true},  {true, true, true},
};

std::string describe(engine::OutputFormat format) {
    return std::string(format.stereo ? "stereo " : "mono ") +
           (format.highRate ? "44100 " : "22050 ") + (format.sixteenBit ? "16-bit" : "8-bit");
}

class RenderBufferTest : public ::testing::Test {
  protected:
    void SetUp() override { engine::buildWaveTable(table, 0); }

    int32_t render(engine::OutputFormat format, int32_t vibrato, int32_t newFrequency,
                   int32_t oldFrequency, int32_t newAmplitude, int32_t oldAmplitude) {
        buffer.assign(40050, 0xEE);
        return engine::renderBuffer(buffer, table, format, vibrato, newFrequency, oldFrequency,
                                    newAmplitude, oldAmplitude);
    }

    // The left channel's samples, centred on zero.
    std::vector<int> samples(engine::OutputFormat format, int32_t length) const {
        std::vector<int> result;
        for (int32_t offset = 0; offset < length; offset += format.frameBytes()) {
            if (format.sixteenBit) {
                result.push_back(static_cast<int16_t>(buffer[offset] | buffer[offset + 1] << 8));
            } else {
                result.push_back(buffer[offset] - 128);
            }
        }
        return result;
    }

    engine::WaveTable table;
    std::vector<uint8_t> buffer;
};

TEST_F(RenderBufferTest, ZeroHertzRendersExactlyTheGlideInEveryFormat) {
    for (engine::OutputFormat format : kAllFormats) {
        const int32_t frames = kGlideFramesAt22050 * (format.highRate ? 2 : 1);
        EXPECT_EQ(render(format, 0, 0, 0, 50, 50), frames * format.frameBytes())
            << describe(format);
    }
}

TEST_F(RenderBufferTest, SilenceIsMidScaleForEightBitAndZeroForSixteenBit) {
    const int32_t length8 = render({true, false, false}, 0, 1000, 1000, 0, 0);
    EXPECT_GE(length8, 2 * kGlideFramesAt22050);
    EXPECT_TRUE(
        std::all_of(buffer.begin(), buffer.begin() + length8, [](uint8_t b) { return b == 128; }));
    const int32_t length16 = render({false, true, true}, 0, 1000, 1000, 0, 0);
    EXPECT_TRUE(
        std::all_of(buffer.begin(), buffer.begin() + length16, [](uint8_t b) { return b == 0; }));
}

TEST_F(RenderBufferTest, SteadyToneIsCutAtTheFirstTailFrameNearPhaseZero) {
    // 1000 Hz at 22050 Hz advances the phase by 2972 per frame.
    const int32_t length = render({false, false, false}, 0, 1000, 1000, 80, 80);
    ASSERT_GE(length, kGlideFramesAt22050);
    auto phaseAt = [](int64_t frame) { return static_cast<uint16_t>(frame * 2972); };
    auto nearZero = [](uint16_t phase) { return phase < 256 || phase > 65279; };
    EXPECT_TRUE(nearZero(phaseAt(length)));
    for (int64_t frame = kGlideFramesAt22050; frame < length; ++frame) {
        EXPECT_FALSE(nearZero(phaseAt(frame))) << "an earlier cut point at frame " << frame;
    }
}

TEST_F(RenderBufferTest, LengthsStayWithinTheBufferAndEndOnWholeFrames) {
    for (engine::OutputFormat format : kAllFormats) {
        const int32_t minimum =
            kGlideFramesAt22050 * (format.highRate ? 2 : 1) * format.frameBytes();
        for (int32_t frequency = 20; frequency <= 10020; frequency += 97) {
            const int32_t length = render(format, 3, frequency, frequency / 2 + 20, 100, 30);
            ASSERT_LE(length, 40000) << describe(format) << " " << frequency << " Hz";
            ASSERT_GE(length, minimum) << describe(format) << " " << frequency << " Hz";
            ASSERT_EQ(length % format.frameBytes(), 0);
            ASSERT_EQ(buffer[40000], 0xEE) << "wrote past 40000 bytes";
        }
    }
}

TEST_F(RenderBufferTest, PeakOfAFullVolumeSineIsAboutTwelveThousandFiveHundred) {
    const int32_t length = render({false, false, true}, 0, 440, 440, 100, 100);
    const std::vector<int> wave = samples({false, false, true}, length);
    EXPECT_NEAR(*std::max_element(wave.begin(), wave.end()), 12500, 60);
    EXPECT_NEAR(*std::min_element(wave.begin(), wave.end()), -12500, 60);
}

TEST_F(RenderBufferTest, StereoFramesCarryTheSameSampleInBothChannels) {
    for (bool sixteenBit : {false, true}) {
        const engine::OutputFormat format{true, false, sixteenBit};
        const int32_t length = render(format, 0, 700, 300, 90, 20);
        const int32_t sampleBytes = sixteenBit ? 2 : 1;
        for (int32_t offset = 0; offset < length; offset += format.frameBytes()) {
            ASSERT_TRUE(std::equal(buffer.begin() + offset, buffer.begin() + offset + sampleBytes,
                                   buffer.begin() + offset + sampleBytes))
                << "frame at byte " << offset;
        }
    }
}

TEST_F(RenderBufferTest, VibratoSoundsOnlyWhenThePitchIsSteady) {
    const engine::OutputFormat format{false, false, true};
    const int32_t plainLength = render(format, 0, 600, 600, 90, 90);
    const std::vector<uint8_t> plain(buffer.begin(), buffer.begin() + plainLength);
    const int32_t vibratoLength = render(format, 3, 600, 600, 90, 90);
    EXPECT_NE(std::vector<uint8_t>(buffer.begin(), buffer.begin() + vibratoLength), plain);

    const int32_t glideLength = render(format, 0, 600, 400, 90, 90);
    const std::vector<uint8_t> glide(buffer.begin(), buffer.begin() + glideLength);
    const int32_t glideWithVibratoLength = render(format, 3, 600, 400, 90, 90);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + glideWithVibratoLength), glide);
}

TEST_F(RenderBufferTest, ARepeatedBufferJoinsItselfWithoutASeam) {
    for (engine::OutputFormat format : kAllFormats) {
        for (int32_t frequency : {110, 440, 1000, 3333}) {
            const int32_t length = render(format, 0, frequency, frequency, 100, 100);
            const std::vector<int> wave = samples(format, length);
            int largestStep = 0;
            for (size_t i = 1; i < wave.size(); ++i) {
                largestStep = std::max(largestStep, std::abs(wave[i] - wave[i - 1]));
            }
            // Played again, the buffer starts at phase zero. The cut lands within 256 phase units
            // of zero, so the step across the join is at most one frame's phase advance plus 256.
            const int increment = frequency * 65536 / format.rate();
            const int seam = std::abs(wave.front() - wave.back());
            EXPECT_LE(seam, largestStep * (increment + 256) / increment + 2)
                << describe(format) << " " << frequency << " Hz";
        }
    }
}

TEST_F(RenderBufferTest, SettingsVersionReadsTheOutputFormatAndVibrato) {
    ScopedToneSettings restore;
    settings::Stereo = true;
    settings::HighRate = true;
    settings::SixteenBit = true;
    settings::Vibrato = 0;
    std::vector<uint8_t> fromSettings(40050);
    EXPECT_EQ(engine::renderBuffer(fromSettings, table, 0, 0, 10, 10), 2 * kGlideFramesAt22050 * 4);
}

// Frequency from the first to the last rising zero crossing, each placed between its two
// samples: fine enough to tell hundredths of a hertz apart in one buffer.
double measuredFrequency(const std::vector<int>& wave, int32_t rate) {
    double first = -1;
    double last = -1;
    int crossings = 0;
    for (size_t i = 1; i < wave.size(); ++i) {
        if (wave[i - 1] < 0 && wave[i] >= 0) {
            const double at = static_cast<double>(i - 1) +
                              static_cast<double>(-wave[i - 1]) / (wave[i] - wave[i - 1]);
            first = first < 0 ? at : first;
            last = at;
            ++crossings;
        }
    }
    return crossings < 2 ? 0.0 : (crossings - 1) * static_cast<double>(rate) / (last - first);
}

TEST_F(RenderBufferTest, ATunedBufferPlaysFrequenciesBetweenWholeHertzAndJoinsItself) {
    // A whole 16-bit phase step is 0.34 Hz at 22050 Hz: the designed renderer cannot play these.
    for (const bool highRate : {false, true}) {
        const engine::OutputFormat format{false, highRate, true};
        for (const double frequency : {110.5, 261.6256, 1046.502}) {
            buffer.assign(40050, 0xEE);
            const int32_t length =
                engine::renderTunedBuffer(buffer, table, format, 0, frequency, frequency, 100, 100);
            const std::vector<int> wave = samples(format, length);
            EXPECT_NEAR(measuredFrequency(wave, format.rate()), frequency, 0.01)
                << describe(format) << " " << frequency << " Hz";
            // Cut near phase zero like any buffer, so that repeating it leaves no seam: the step
            // across the join is at most one frame's advance plus 256 phase units.
            int largestStep = 0;
            for (size_t i = 1; i < wave.size(); ++i) {
                largestStep = std::max(largestStep, std::abs(wave[i] - wave[i - 1]));
            }
            const double increment = frequency * 65536 / format.rate();
            EXPECT_LE(std::abs(wave.front() - wave.back()),
                      largestStep * (increment + 256) / increment + 2)
                << frequency << " Hz";
        }
    }
}

}  // namespace
