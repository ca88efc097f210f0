#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "engine/tone/wave_table.h"

namespace {

TEST(WaveTable, TimbreZeroIsAHalfScaleSine) {
    engine::WaveTable table;
    engine::buildWaveTable(table, 0);
    EXPECT_EQ(table.sixteenBit[0], 0);
    EXPECT_EQ(table.sixteenBit[256], 15999);  // a quarter period: just under 0.5 x 32000
    EXPECT_EQ(table.sixteenBit[768], -15999);
    EXPECT_EQ(table.eightBit[256], 63);
    EXPECT_EQ(table.eightBit[768], -63);
    // Odd symmetry of a sine around the half period.
    for (int i = 1; i < 512; i += 37) {
        EXPECT_NEAR(table.sixteenBit[i], -table.sixteenBit[1024 - i], 2) << i;
    }
}

TEST(WaveTable, TimbreTenAddsThirdAndFifthHarmonicsForASquarerShape) {
    engine::WaveTable sine;
    engine::WaveTable square;
    engine::buildWaveTable(sine, 0);
    engine::buildWaveTable(square, 10);
    // sin x + sin 3x / 3 + sin 5x / 5 at a quarter period is 1 - 1/3 + 1/5, at half scale.
    EXPECT_NEAR(square.sixteenBit[256], 13866, 2);
    // Flatter top: at an eighth of the period the square-ish wave is much closer to its peak.
    const double sineRatio = 1.0 * sine.sixteenBit[128] / sine.sixteenBit[256];
    const double squareRatio = 1.0 * square.sixteenBit[128] / square.sixteenBit[256];
    EXPECT_NEAR(sineRatio, 0.707, 0.01);
    EXPECT_GT(squareRatio, 0.9);
}

TEST(WaveTable, DifferenceTableHoldsTheStepFromThePreviousEntryWrappingAround) {
    engine::WaveTable table;
    engine::buildWaveTable(table, 7);
    EXPECT_EQ(table.difference[0], table.sixteenBit[0] - table.sixteenBit[1023]);
    EXPECT_EQ(table.difference[300], table.sixteenBit[300] - table.sixteenBit[299]);
    EXPECT_EQ(std::accumulate(table.difference.begin(), table.difference.end(), 0), 0);
}

TEST(WaveTable, AnOversizedTimbreIsClippedJustBelowFullScale) {
    engine::WaveTable table;
    engine::buildWaveTable(table, 100);
    EXPECT_EQ(*std::max_element(table.sixteenBit.begin(), table.sixteenBit.end()), 31999);
    EXPECT_EQ(*std::min_element(table.sixteenBit.begin(), table.sixteenBit.end()), -31999);
    EXPECT_EQ(*std::max_element(table.eightBit.begin(), table.eightBit.end()), 126);
}

TEST(WaveTable, SampleLookupsAreCentredOnSilence) {
    engine::WaveTable table;
    engine::buildWaveTable(table, 10);
    for (uint16_t phase : {0, 1000, 16384, 40000, 65535}) {
        EXPECT_EQ(engine::sampleEightBit(table, phase, 0), 128);
        EXPECT_EQ(engine::sampleSixteenBit(table, phase, 0), 0);
    }
    // Full scale 128 reproduces the table entry at a whole index.
    EXPECT_EQ(engine::sampleSixteenBit(table, 256 * 64, 128), table.sixteenBit[256]);
    EXPECT_EQ(engine::sampleEightBit(table, 256 * 64, 128), 128 + table.eightBit[256]);
    EXPECT_EQ(engine::sampleEightBit(table, 768 * 64, 128), 128 + table.eightBit[768]);
}

TEST(WaveTable, TheTwentyFourBitSampleIsTheSixteenBitOneWithTheBitsItsShiftDrops) {
    for (const int32_t timbre : {0, 4, 10}) {
        engine::WaveTable table;
        engine::buildWaveTable(table, timbre);
        for (const int32_t amplitude : {0, 1, 3, 37, 64, 100, 127, 128}) {
            for (int32_t phase = 0; phase < 65536; ++phase) {
                const auto at = static_cast<uint16_t>(phase);
                const int32_t deep = engine::sampleTwentyFourBit(table, at, amplitude);
                ASSERT_TRUE(deep >= -(1 << 23) && deep < (1 << 23)) << timbre << " " << phase;
                ASSERT_EQ(deep >> 8, engine::sampleSixteenBit(table, at, amplitude))
                    << "timbre " << timbre << ", amplitude " << amplitude << ", phase " << phase;
            }
        }
    }
}

TEST(WaveTable, SixteenBitLookupInterpolatesBetweenEntries) {
    engine::WaveTable table;
    engine::buildWaveTable(table, 0);
    // On the rising slope the fraction moves the sample smoothly past the entry.
    int16_t previous = engine::sampleSixteenBit(table, 100 * 64, 128);
    for (uint16_t fraction = 1; fraction < 64; ++fraction) {
        const int16_t sample =
            engine::sampleSixteenBit(table, static_cast<uint16_t>(100 * 64 + fraction), 128);
        EXPECT_GE(sample, previous);
        previous = sample;
    }
    EXPECT_LE(previous, table.sixteenBit[101] + 1);
}

}  // namespace
