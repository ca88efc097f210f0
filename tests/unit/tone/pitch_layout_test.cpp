#include "engine/tone/pitch_layout.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/tone/cursor_mapping.h"
#include "support/scoped_settings.h"

namespace {

using settings::PitchLayout;

constexpr double kTiny = 1e-9;

TEST(PitchLayout, SemitonesRunFromTheLowNoteAtTheLeftEdgeToTheHighNoteAtTheRight) {
    const struct {
        platform::ScreenSize screen;
        int32_t lowNote, highNote;
    } cases[] = {{{1920, 1080}, 45, 93},
                 {{800, 800}, 45, 93},
                 {{3840, 2160}, 0, 127},
                 {{1366, 768}, 60, 61},
                 {{2, 2}, 48, 72}};
    for (const auto& c : cases) {
        const engine::CursorLayoutSetup setup{PitchLayout::Semitones, c.lowNote, c.highNote};
        const int32_t last = c.screen.width - 1;
        SCOPED_TRACE(testing::Message()
                     << c.screen.width << " columns, " << c.lowNote << ".." << c.highNote);
        EXPECT_EQ(engine::pitchFromCursor(0, c.screen, setup), c.lowNote);
        EXPECT_NEAR(engine::pitchFromCursor(last, c.screen, setup), c.highNote, kTiny);
        EXPECT_EQ(engine::pitchFromCursor(-500, c.screen, setup), c.lowNote) << "off the left";
        EXPECT_NEAR(engine::pitchFromCursor(last + 500, c.screen, setup), c.highNote, kTiny);

        // Each semitone takes the same stretch of the width, and the guide's x of a note plays
        // that note (to within half a column).
        const double stretch = static_cast<double>(last) / (c.highNote - c.lowNote);
        for (int32_t note = c.lowNote; note <= c.highNote; ++note) {
            const auto x = engine::cursorFromPitch(note, c.screen, setup);
            ASSERT_TRUE(x.has_value()) << "note " << note;
            EXPECT_NEAR(*x, (note - c.lowNote) * stretch, 1e-6) << "note " << note;
            EXPECT_NEAR(
                engine::pitchFromCursor(static_cast<int32_t>(std::lround(*x)), c.screen, setup),
                note, 0.5 / stretch + kTiny);
        }
        EXPECT_FALSE(engine::cursorFromPitch(c.lowNote - 0.01, c.screen, setup).has_value());
        EXPECT_FALSE(engine::cursorFromPitch(c.highNote + 0.01, c.screen, setup).has_value());
    }
    EXPECT_NEAR(engine::frequencyFromPitch(45.0), 110.0, kTiny);
    EXPECT_NEAR(engine::pitchFromFrequency(1760.0), 93.0, kTiny);
}

// The default layout must leave every engine's arithmetic exactly as designed.
TEST(PitchLayout, HertzIsTheDesignedMappingExactly) {
    ScopedToneSettings restore;
    const engine::CursorLayoutSetup hertz{};
    for (const platform::ScreenSize screen :
         {platform::ScreenSize{1920, 1080}, platform::ScreenSize{800, 800}}) {
        for (int32_t pitch : {1, 4, 10}) {
            settings::Pitch = pitch;
            for (int32_t x : {-10, 0, 1, 101, 480, 799, 1919, 5000}) {
                const int32_t designed = engine::frequencyFromCursor(x, screen);
                EXPECT_EQ(engine::frequencyFromCursor(x, screen, hertz),
                          static_cast<double>(designed));
                EXPECT_NEAR(engine::pitchFromCursor(x, screen, hertz),
                            engine::pitchFromFrequency(designed), kTiny);
            }
            EXPECT_EQ(engine::cursorFromPitch(69.0, screen, hertz),
                      static_cast<double>(*engine::cursorFromFrequency(440.0, screen)));
        }
    }
}

}  // namespace
