#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/tone/pitch_layout.h"
#include "engine/tone/refill_decision.h"
#include "support/scoped_playing_settings.h"
#include "support/scoped_settings.h"

namespace {

struct Rendered {
    int32_t newFrequency, oldFrequency, newAmplitude, oldAmplitude;
    friend bool operator==(const Rendered&, const Rendered&) = default;
};

class RecordingRenderer : public engine::ToneRenderer {
  public:
    void renderNextBuffer(int32_t newFrequency, int32_t oldFrequency, int32_t newAmplitude,
                          int32_t oldAmplitude) override {
        calls.push_back({newFrequency, oldFrequency, newAmplitude, oldAmplitude});
    }
    void renderTunedBuffer(double newFrequency, double oldFrequency, int32_t newAmplitude,
                           int32_t oldAmplitude) override {
        tuned.push_back({newFrequency, oldFrequency, newAmplitude, oldAmplitude});
    }
    struct Tuned {
        double newFrequency, oldFrequency;
        int32_t newAmplitude, oldAmplitude;
    };
    std::vector<Rendered> calls;
    std::vector<Tuned> tuned;
};

class RefillDecisionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings::Pitch = 1;
        settings::Volume = 100;
        settings::SwoopMode = 0;
        decision.setScreen(platform::ScreenSize{1000, 1000});
    }
    // Returns how many renders one refill caused.
    size_t refill(int32_t x, int32_t y) {
        const size_t before = renderer.calls.size();
        decision.decide(platform::CursorPosition{x, y}, renderer);
        return renderer.calls.size() - before;
    }

    // Renders of the playing aids one refill caused, `elapsedMs` after the last.
    size_t tunedRefill(int32_t x, int32_t y, double elapsedMs = kBufferMs) {
        const size_t before = renderer.tuned.size();
        decision.decide(platform::CursorPosition{x, y}, renderer, elapsedMs);
        return renderer.tuned.size() - before;
    }
    static constexpr double kBufferMs = 150;

    ScopedToneSettings restore;
    ScopedPlayingSettings restorePlaying;
    engine::RefillDecision decision;
    RecordingRenderer renderer;
};

TEST_F(RefillDecisionTest, AtPlayTheFirstRefillRendersASteadyToneAndTheSecondRepeatsIt) {
    decision.startHistory({500, 250});
    ASSERT_EQ(refill(500, 250), 1U);
    // x 500 of 1000 at Pitch 1 is 520 Hz; y 250 of 1000 at Volume 100 is 75.
    EXPECT_EQ(renderer.calls.back(), (Rendered{520, 520, 75, 75}));
    EXPECT_EQ(refill(500, 250), 0U);
    EXPECT_EQ(refill(500, 250), 0U);
}

TEST_F(RefillDecisionTest, AVerticalMoveGlidesThenOneSteadyBufferThenRepeats) {
    decision.startHistory({500, 250});
    refill(500, 250);
    ASSERT_EQ(refill(500, 500), 1U);
    EXPECT_EQ(renderer.calls.back(), (Rendered{520, 520, 50, 75}));
    ASSERT_EQ(refill(500, 500), 1U);  // the cursor stopped: steady at the new loudness
    EXPECT_EQ(renderer.calls.back(), (Rendered{520, 520, 50, 50}));
    EXPECT_EQ(refill(500, 500), 0U);
    EXPECT_EQ(refill(500, 500), 0U);
}

TEST_F(RefillDecisionTest, AHorizontalMoveGlidesInPitchThenSettles) {
    decision.startHistory({100, 0});
    refill(100, 0);
    ASSERT_EQ(refill(900, 0), 1U);
    EXPECT_EQ(renderer.calls.back(), (Rendered{920, 120, 100, 100}));
    ASSERT_EQ(refill(900, 0), 1U);
    EXPECT_EQ(renderer.calls.back(), (Rendered{920, 920, 100, 100}));
    EXPECT_EQ(refill(900, 0), 0U);
}

TEST_F(RefillDecisionTest, WithoutSwoopModeARestingCursorNeverRendersAgain) {
    decision.startHistory({300, 300});
    refill(300, 300);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(refill(300, 300), 0U) << "resting reading " << i + 1;
    }
}

TEST_F(RefillDecisionTest, WithSwoopModeTheEighthRestingReadingFallsSilentUntilTheCursorMoves) {
    settings::SwoopMode = 1;
    decision.startHistory({300, 300});
    refill(300, 300);
    refill(600, 300);  // pitch glide
    refill(600, 300);  // steady buffer after the last movement
    for (int reading = 1; reading <= 7; ++reading) {
        EXPECT_EQ(refill(600, 300), 0U) << "resting reading " << reading << " keeps sounding";
    }
    for (int reading = 8; reading <= 10; ++reading) {
        ASSERT_EQ(refill(600, 300), 1U) << "resting reading " << reading;
        EXPECT_EQ(renderer.calls.back(), (Rendered{620, 620, 0, 0}));
    }
    // The first movement glides from the loudness of the last position, not from silence.
    ASSERT_EQ(refill(600, 100), 1U);
    EXPECT_EQ(renderer.calls.back(), (Rendered{620, 620, 90, 70}));
    EXPECT_EQ(decision.restCount(), 0);
}

TEST_F(RefillDecisionTest, ASubStepMoveCountsAsAMovementEvenThoughTheToneIsTheSame) {
    settings::SwoopMode = 1;
    decision.startHistory({100, 500});
    refill(100, 500);
    refill(100, 500);
    // One pixel at Pitch 1 on a 1000-pixel screen is exactly one Hz; on a wider screen it is less.
    decision.setScreen(platform::ScreenSize{1920, 1000});
    ASSERT_EQ(refill(101, 500), 1U);
    EXPECT_EQ(renderer.calls.back().newFrequency, renderer.calls.back().oldFrequency);
}

TEST_F(RefillDecisionTest, PlayReinitialisesTheHistorySoTheFirstRefillRendersAgain) {
    decision.startHistory({400, 400});
    refill(400, 400);
    refill(400, 400);
    const size_t rendersBefore = renderer.calls.size();
    decision.startHistory({400, 400});  // Stop, then Play again with the cursor unmoved
    EXPECT_EQ(refill(400, 400), 1U);
    EXPECT_EQ(renderer.calls.size(), rendersBefore + 1);
}

double semitonesFrom(double frequency, double pitch) {
    return engine::pitchFromFrequency(frequency) - pitch;
}

TEST_F(RefillDecisionTest, TheSemitonesLayoutRendersThePitchOfTheColumnAndRestsWhenItHolds) {
    settings::CursorLayout = settings::PitchLayout::Semitones;
    settings::LowNote = 45;
    settings::HighNote = 93;
    decision.startHistory({333, 250});
    ASSERT_EQ(tunedRefill(333, 250), 1U);
    const auto first = renderer.tuned.back();
    EXPECT_NEAR(semitonesFrom(first.newFrequency, 45 + 48.0 * 333 / 999), 0, 1e-9);
    EXPECT_EQ(first.oldFrequency, first.newFrequency) << "a play starts steady";
    EXPECT_EQ(tunedRefill(333, 250), 0U);
    // A move glides from the sounding frequency, then one steady buffer follows.
    ASSERT_EQ(tunedRefill(999, 250), 1U);
    EXPECT_EQ(renderer.tuned.back().oldFrequency, first.newFrequency);
    EXPECT_NEAR(semitonesFrom(renderer.tuned.back().newFrequency, 93), 0, 1e-9);
    ASSERT_EQ(tunedRefill(999, 250), 1U);
    EXPECT_EQ(renderer.tuned.back().oldFrequency, renderer.tuned.back().newFrequency);
    EXPECT_EQ(tunedRefill(999, 250), 0U);
    EXPECT_TRUE(renderer.calls.empty()) << "nothing rendered in whole hertz";
    decision.startHistory({333, 250});  // Stop, then Play again at the first column
    ASSERT_EQ(tunedRefill(333, 250), 1U);
    EXPECT_EQ(renderer.tuned.back().oldFrequency, first.newFrequency) << "not from the last play";
}

TEST_F(RefillDecisionTest, ASettlingCorrectionRendersWithTheCursorStillThenRests) {
    settings::CursorLayout = settings::PitchLayout::Semitones;
    settings::LowNote = 60;
    settings::HighNote = 70;  // 100 columns a semitone on 1000
    settings::Correction = true;
    settings::CorrectionScale = settings::MusicalScale::Major;
    settings::CorrectionRoot = 0;
    settings::CorrectionRate = 80;
    const int32_t onD = 200;    // pitch 62.002
    const int32_t nearE = 440;  // 64.404: nearest scale note E (64)
    decision.startHistory({onD, 0});
    tunedRefill(onD, 0);
    ASSERT_EQ(tunedRefill(nearE, 0), 1U) << "the move itself";
    // The move is heard first, then pulled onto E over a few buffers while the cursor stands.
    EXPECT_GT(semitonesFrom(renderer.tuned.back().newFrequency, 64), 0.03);
    int stillRenders = 0;
    for (int refill = 0; refill < 20; ++refill) {
        stillRenders += static_cast<int>(tunedRefill(nearE, 0));
    }
    EXPECT_GE(stillRenders, 3);
    EXPECT_LE(stillRenders, 8) << "it rests once settled";
    EXPECT_NEAR(semitonesFrom(renderer.tuned.back().newFrequency, 64), 0, 0.002);
    EXPECT_EQ(renderer.tuned.back().newFrequency, renderer.tuned.back().oldFrequency);
    EXPECT_EQ(tunedRefill(nearE, 0), 0U);
}

TEST_F(RefillDecisionTest, SwitchingTheCorrectionMidPhraseIsHeardAtOnceWithTheCursorStill) {
    settings::Correction = true;
    settings::CorrectionScale = settings::MusicalScale::Chromatic;
    decision.startHistory({500, 0});
    ASSERT_EQ(tunedRefill(500, 0), 1U);
    // 520 Hz in the hertz layout lies 0.33 semitone above C5 (72): corrected to 523.25 Hz.
    EXPECT_NEAR(semitonesFrom(renderer.tuned.back().newFrequency, 72), 0, 1e-9);
    EXPECT_EQ(tunedRefill(500, 0), 0U);

    settings::Correction = false;
    ASSERT_EQ(refill(500, 0), 1U);
    EXPECT_EQ(renderer.calls.back(), (Rendered{520, 520, 100, 100}));
    EXPECT_EQ(refill(500, 0), 0U);

    settings::Correction = true;
    ASSERT_EQ(tunedRefill(500, 0), 1U);
    EXPECT_EQ(renderer.tuned.back().oldFrequency, 520.0) << "glides from what sounds";
    EXPECT_NEAR(semitonesFrom(renderer.tuned.back().newFrequency, 72), 0, 1e-9);
}

}  // namespace
