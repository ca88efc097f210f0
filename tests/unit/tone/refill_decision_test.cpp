#include <gtest/gtest.h>

#include <vector>

#include "engine/tone/refill_decision.h"
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
    std::vector<Rendered> calls;
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

    ScopedToneSettings restore;
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

}  // namespace
