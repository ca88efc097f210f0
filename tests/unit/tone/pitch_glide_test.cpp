#include "engine/tone/pitch_glide.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "engine/tone/pitch_layout.h"

namespace {

// The share of a jump from `from` to `to`, in semitones, covered after `ms` on a `stepMs` clock.
double coveredShare(double from, double to, int32_t glideMs, double stepMs, double ms) {
    engine::GlideState state;
    double pitch = engine::glidedPitch(from, glideMs, stepMs, state);
    for (double t = 0; t < ms - 1e-9; t += stepMs) {
        pitch = engine::glidedPitch(to, glideMs, stepMs, state);
    }
    return (pitch - from) / (to - from);
}

TEST(PitchGlide, AGlideTimeCovers63PercentOfAJumpInThatTimeAndGlideZeroAllAtOnce) {
    const struct {
        int32_t glideMs;
        double stepMs, afterMs, share, tolerance;
    } cases[] = {{100, 1.0, 100.0, 0.632, 0.02},   {100, 5.0, 100.0, 0.632, 0.02},
                 {100, 1.0, 300.0, 0.950, 0.02},   {1000, 1.0, 1000.0, 0.632, 0.02},
                 {100, 1.0, 1.0, 0.00995, 0.0005}, {0, 1.0, 1.0, 1.0, 0.0},
                 {0, 130.0, 130.0, 1.0, 0.0}};
    for (const auto& c : cases) {
        for (const auto& [from, to] : {std::pair{45.0, 93.0}, {81.0, 57.0}, {60.0, 60.5}}) {
            EXPECT_NEAR(coveredShare(from, to, c.glideMs, c.stepMs, c.afterMs), c.share,
                        c.tolerance)
                << "glide " << c.glideMs << " ms after " << c.afterMs << " ms, " << from << " to "
                << to;
        }
    }
}

// The classic slew moves in hertz, which makes high intervals slow; this glide covers the same
// musical distance in the same time anywhere.
TEST(PitchGlide, InHertzTheGlideStillRunsInSemitones) {
    engine::GlideState state;
    double hz = engine::glidedFrequency(220.0, 100, 1.0, state);
    for (int t = 0; t < 100; ++t) {
        hz = engine::glidedFrequency(880.0, 100, 1.0, state);
    }
    // 63 % of two octaves above A3 is about 530 Hz; a glide in hertz would be near 637 Hz.
    EXPECT_NEAR(engine::pitchFromFrequency(hz) - 57.0, 0.632 * 24.0, 0.02 * 24.0);
}

// The glide keeps the share of its last step for the next one: a change of the step or of the
// glide time while it runs must take effect at once.
TEST(PitchGlide, AChangeOfStepOrGlideTimeMidwayTakesEffectAtOnce) {
    engine::GlideState state;
    engine::glidedPitch(60.0, 100, 1.0, state);
    double left = 12.0;  // on the way to 72
    for (const auto& [stepMs, glideMs] :
         {std::pair{1.0, 100}, {1.0, 100}, {5.0, 100}, {5.0, 30}, {1.0, 30}, {1.0, 500}}) {
        left *= std::exp(-stepMs / glideMs);
        EXPECT_NEAR(engine::glidedPitch(72.0, glideMs, stepMs, state), 72.0 - left, 1e-12)
            << stepMs << " ms of a " << glideMs << " ms glide";
    }
    EXPECT_EQ(engine::glidedPitch(45.3, 0, 1.0, state), 45.3) << "glide 0: exactly, at once";
    EXPECT_EQ(engine::glidedPitch(81.7, 0, 0.0, state), 81.7) << "even in a step of no time";
}

}  // namespace
