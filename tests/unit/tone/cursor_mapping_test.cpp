#include <gtest/gtest.h>

#include "engine/tone/cursor_mapping.h"
#include "support/scoped_settings.h"

namespace {

constexpr platform::ScreenSize kScreen{1920, 1080};

TEST(CursorMapping, PitchRangeRunsFrom20HzAtTheLeftEdgeToPitchKiloHertzAtTheRight) {
    ScopedToneSettings restore;
    for (int32_t pitch = 1; pitch <= 10; ++pitch) {
        settings::Pitch = pitch;
        EXPECT_EQ(engine::frequencyFromCursor(0, kScreen), 20) << "Pitch " << pitch;
        const int32_t top = pitch * 1000 + 20;
        // The last pixel column gives slightly less than the full range.
        EXPECT_LT(engine::frequencyFromCursor(kScreen.width - 1, kScreen), top);
        EXPECT_GE(engine::frequencyFromCursor(kScreen.width - 1, kScreen),
                  top - pitch * 1000 / kScreen.width - 1);
        EXPECT_EQ(engine::frequencyFromCursor(kScreen.width / 2, kScreen), pitch * 500 + 20);
    }
}

TEST(CursorMapping, FrequencyIsLinearAndTruncated) {
    ScopedToneSettings restore;
    settings::Pitch = 1;
    EXPECT_EQ(engine::frequencyFromCursor(100, kScreen), 72);  // 100000 / 1920 = 52.08
    EXPECT_EQ(engine::frequencyFromCursor(101, kScreen), 72);  // 52.6: a sub-step move, same tone
    EXPECT_EQ(engine::frequencyFromCursor(480, kScreen), 270);
}

TEST(CursorMapping, LoudnessIsVolumeAtTheTopAndSilenceAtTheBottom) {
    ScopedToneSettings restore;
    settings::Volume = 80;
    EXPECT_EQ(engine::amplitudeFromCursor(0, kScreen), 80);
    EXPECT_EQ(engine::amplitudeFromCursor(kScreen.height - 1, kScreen), 0);
    EXPECT_EQ(engine::amplitudeFromCursor(kScreen.height / 2, kScreen), 40);
    EXPECT_EQ(engine::amplitudeFromCursor(kScreen.height / 4, kScreen), 60);

    settings::Volume = 0;
    for (int32_t y : {0, 200, 540, 1079}) {
        EXPECT_EQ(engine::amplitudeFromCursor(y, kScreen), 0);
    }
}

TEST(CursorMapping, PositionsOffThePrimaryScreenMapAsItsNearestEdge) {
    ScopedToneSettings restore;
    settings::Pitch = 10;
    settings::Volume = 100;
    EXPECT_EQ(engine::frequencyFromCursor(-300, kScreen), 20);
    EXPECT_EQ(engine::frequencyFromCursor(5000, kScreen),
              engine::frequencyFromCursor(kScreen.width - 1, kScreen));
    EXPECT_EQ(engine::amplitudeFromCursor(-50, kScreen), 100);
    EXPECT_EQ(engine::amplitudeFromCursor(4000, kScreen), 0);
}

TEST(CursorMapping, AnEmptyScreenGivesTheLowestSilentToneInsteadOfDividingByZero) {
    ScopedToneSettings restore;
    EXPECT_EQ(engine::frequencyFromCursor(10, platform::ScreenSize{0, 0}), 20);
    EXPECT_EQ(engine::amplitudeFromCursor(10, platform::ScreenSize{0, 0}), 0);
}

}  // namespace

namespace {

// The note guide's lines come from this inverse; a line that disagrees with the mapping would
// send the player to the wrong pitch.
TEST(CursorMapping, CursorFromFrequencyFindsTheFirstColumnThatSoundsIt) {
    ScopedToneSettings restore;
    for (const platform::ScreenSize screen :
         {kScreen, platform::ScreenSize{3840, 2160}, platform::ScreenSize{800, 600}}) {
        for (int32_t pitch : {1, 3, 10}) {
            settings::Pitch = pitch;
            for (double hz : {20.0, 27.5, 261.63, 440.0, 1000.0, 4186.01}) {
                const auto x = engine::cursorFromFrequency(hz, screen);
                if (hz > engine::frequencyFromCursor(screen.width - 1, screen)) {
                    EXPECT_FALSE(x.has_value()) << hz << " Hz beyond Pitch " << pitch;
                    continue;
                }
                ASSERT_TRUE(x.has_value()) << hz << " Hz, Pitch " << pitch;
                EXPECT_GE(engine::frequencyFromCursor(*x, screen), hz);
                if (*x > 0) {
                    EXPECT_LT(engine::frequencyFromCursor(*x - 1, screen), hz)
                        << "not the first column for " << hz << " Hz";
                }
            }
        }
    }
    settings::Pitch = 1;
    EXPECT_EQ(engine::cursorFromFrequency(440.0, kScreen), 807);  // 420 Hz above 20 is 806.4 px
    EXPECT_EQ(engine::cursorFromFrequency(19.5, kScreen), std::nullopt) << "below the left edge";
    EXPECT_EQ(engine::cursorFromFrequency(440.0, platform::ScreenSize{0, 0}), std::nullopt);
}

}  // namespace
