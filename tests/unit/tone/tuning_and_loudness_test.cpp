// The concert pitch, the nearest note and cents readout and loudness even in decibels, against
// values computed by hand.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "engine/midi/midi_tone.h"
#include "engine/tone/cursor_mapping.h"
#include "engine/tone/loudness_curve.h"
#include "engine/tone/note_readout.h"
#include "engine/tone/pitch_layout.h"
#include "support/scoped_playing_settings.h"
#include "support/scoped_settings.h"

namespace {

constexpr double kSilent = -std::numeric_limits<double>::infinity();

TEST(ConcertPitch, MovesEveryNotesFrequencyAndTheReadoutsNamesWithIt) {
    ScopedPlayingSettings restore;
    const struct {
        int32_t tenths;
        double pitch, hz;
    } cases[] = {{4400, 69, 440.0},     {4420, 69, 442.0}, {4420, 60, 262.81477},
                 {4150, 72, 493.52095}, {4800, 81, 960.0}, {4153, 69, 415.3}};
    for (const auto& c : cases) {
        settings::ConcertPitch = c.tenths;
        SCOPED_TRACE(testing::Message() << "A4 = " << c.tenths / 10.0 << ", pitch " << c.pitch);
        EXPECT_NEAR(engine::frequencyFromPitch(c.pitch), c.hz, 1e-4);
        EXPECT_NEAR(engine::pitchFromFrequency(c.hz), c.pitch, 1e-6);
    }
    settings::ConcertPitch = 4420;
    EXPECT_NEAR(engine::concertOffset(), 0.0785142, 1e-6);  // 12 log2(442 / 440)
    EXPECT_EQ(std::string(engine::readoutFromFrequency(442, 50, {1, 1, 1, 1}).c_str()),
              "   442Hz  69 A 4      50");
    settings::ConcertPitch = 4400;
    EXPECT_EQ(engine::concertOffset(), 0.0) << "exactly none at the standard pitch";
}

TEST(NearestNoteReadout, ShowsTheNearestNoteAndItsCentsInTheStatusBarsForm) {
    ScopedPlayingSettings restore;
    const engine::ViewFlags cents{1, 1, 1, 1, 1};
    const auto pitchReadout = [](double hz, int32_t loudness, engine::ViewFlags view) {
        return std::string(
            engine::readoutFromPitch(engine::pitchFromFrequency(hz), hz, loudness, view).c_str());
    };
    EXPECT_EQ(pitchReadout(519.8, 62, cents), "519.8 Hz  C5 -11c  loudness 62");
    EXPECT_EQ(pitchReadout(440.0, 50, cents), "440.0 Hz  A4 +0c  loudness 50");
    EXPECT_EQ(pitchReadout(452.8, 7, {0, 0, 0, 1, 1}), "A4 +50c  loudness 7");
    EXPECT_EQ(pitchReadout(10.0, 0, {0, 0, 0, 0, 1}), "---");  // below the piano's names
    EXPECT_FALSE(engine::nearestNoteAndCents(std::nan("")));   // no pitch has no nearest note
    EXPECT_EQ(std::string(engine::readoutFromNote(60.7F, 100, cents).c_str()),
              "272.4 Hz  C#4 -30c  loudness 100");
    settings::ConcertPitch = 4420;
    EXPECT_EQ(std::string(engine::readoutFromFrequency(440, 50, cents).c_str()),
              "440.0 Hz  A4 -8c  loudness 50");
}

TEST(LoudnessCurve, EvenInDecibelsFromFullAtTheTopToTheRangeJustAboveTheBottom) {
    const struct {
        int32_t y, height, range;
        double decibels;
    } rows[] = {{0, 1080, 40, 0.0},        {540, 1080, 40, -20.0},    {270, 1080, 60, -15.0},
                {1078, 1080, 40, -39.926}, {1079, 1080, 40, kSilent}, {5000, 1080, 40, kSilent},
                {-30, 1080, 40, 0.0},      {0, 0, 40, kSilent}};
    for (const auto& r : rows) {
        const double got = engine::decibelsFromCursor(r.y, r.height, r.range);
        if (std::isinf(r.decibels)) {
            EXPECT_EQ(got, r.decibels) << "row " << r.y;
        } else {
            EXPECT_NEAR(got, r.decibels, 1e-3) << "row " << r.y;
        }
    }

    ScopedToneSettings restoreTone;
    ScopedPlayingSettings restore;
    settings::Volume = 100;
    settings::Loudness = settings::LoudnessCurve::Decibels;
    settings::LoudnessRange = 40;
    const platform::ScreenSize screen{1920, 1080};
    // Amplitudes 100, 10 (-20 dB), 1 just above the bottom edge, where 1.009 rounds down.
    EXPECT_EQ(engine::amplitudeFromCursor(0, screen), 100);
    EXPECT_EQ(engine::amplitudeFromCursor(540, screen), 10);
    EXPECT_EQ(engine::amplitudeFromCursor(1078, screen), 1);
    EXPECT_EQ(engine::amplitudeFromCursor(1079, screen), 0);
    settings::LoudnessRange = 60;  // 0.1 there: the softest step, never silence, above the edge
    EXPECT_EQ(engine::amplitudeFromCursor(1078, screen), 1);

    // The built-in synth's level: 64 (half height as designed) is the -17.9 dB heard; -20 dB
    // is 59 (-20.05 dB, where 58 gives -20.49); the top is 127, the bottom edge silent.
    EXPECT_NEAR(engine::synthDecibels(64), -17.925, 1e-3);
    const engine::LoudnessSetup even{settings::LoudnessCurve::Decibels, 40};
    EXPECT_EQ(engine::levelFor(0, 1080, 100, even), 127);
    EXPECT_EQ(engine::levelFor(540, 1080, 100, even), 59);
    EXPECT_EQ(engine::levelFor(540, 1080, 80, even), 47);
    EXPECT_EQ(engine::levelFor(1079, 1080, 100, even), 0);
    EXPECT_EQ(engine::levelFor(540, 1080, 100), 64) << "as designed";
}

}  // namespace
