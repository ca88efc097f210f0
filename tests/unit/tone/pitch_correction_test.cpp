#include "engine/tone/pitch_correction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

namespace {

using settings::MusicalScale;

constexpr double kCent = 0.01;

engine::CorrectionSetup correction(int32_t strength, int32_t rateMs, MusicalScale scale) {
    return engine::CorrectionSetup{true, scale, 0, strength, rateMs};
}

// A pitch 30 cents off a scale note, reached from the note itself and then held, on the engines'
// clocks: DirectSound steps, MIDI ticks, whole Wave buffers.
TEST(PitchCorrection, AHeldOffsetSettlesTowardTheNoteByTheStrength) {
    const struct {
        int32_t strength, rateMs;
        double centsAfterFiveRates, toleranceCents;
    } cases[] = {{100, 80, 0.0, 3.0},
                 {50, 80, 15.0, 1.0},
                 {25, 80, 22.5, 1.0},
                 {100, 400, 0.0, 3.0},
                 {100, 0, 0.0, 1e-9},
                 {150, 80, 0.0, 3.0},  // a stored strength out of range acts as its bound
                 {-40, 80, 30.0, 1e-6}};
    for (const auto& c : cases) {
        for (const double step : {1.0, 5.0, 130.0}) {
            engine::CorrectionState state;
            const auto setup = correction(c.strength, c.rateMs, MusicalScale::Major);
            ASSERT_EQ(engine::correctedPitch(64.0, setup, step, state), 64.0);
            double corrected = 0;
            for (double t = 0; t < 5.0 * c.rateMs || t == 0; t += step) {
                corrected = engine::correctedPitch(64.3, setup, step, state);
            }
            EXPECT_NEAR((corrected - 64.0) / kCent, c.centsAfterFiveRates, c.toleranceCents)
                << "strength " << c.strength << ", rate " << c.rateMs << ", step " << step;
        }
    }
}

// Corrects `exactAt(t)` on a 1 ms clock for `ms`; the lowest and highest pitch and the largest
// change between calls.
struct Trace {
    double lowest = 1e9, highest = -1e9, largestStep = 0, last = 0;
};

template <typename Exact>
Trace run(const engine::CorrectionSetup& setup, int ms, int fromMs, Exact exactAt) {
    engine::CorrectionState state;
    Trace trace;
    trace.last = engine::correctedPitch(exactAt(0.0), setup, 1.0, state);
    for (int t = 1; t <= ms; ++t) {
        const double corrected = engine::correctedPitch(exactAt(t), setup, 1.0, state);
        trace.largestStep = std::max(trace.largestStep, std::fabs(corrected - trace.last));
        if (t >= fromMs) {
            trace.lowest = std::min(trace.lowest, corrected);
            trace.highest = std::max(trace.highest, corrected);
        }
        trace.last = corrected;
    }
    return trace;
}

TEST(PitchCorrection, VibratoAroundAScaleNoteKeepsMostOfItsDepth) {
    const struct {
        double hz, depth;
        int32_t rateMs;
        double keptAtLeast;
    } cases[] = {{6.0, 0.4, 80, 0.8}, {5.0, 0.25, 80, 0.8}, {6.0, 0.4, 200, 0.9}};
    for (const auto& c : cases) {
        const Trace trace =
            run(correction(100, c.rateMs, MusicalScale::Major), 2000, 1000, [&](double t) {
                return 64.0 + c.depth * std::sin(2 * std::numbers::pi * c.hz * t / 1000.0);
            });
        const double kept = (trace.highest - trace.lowest) / 2.0 / c.depth;
        EXPECT_GE(kept, c.keptAtLeast) << c.hz << " Hz, rate " << c.rateMs;
        EXPECT_LE(kept, 1.02);
        EXPECT_NEAR((trace.highest + trace.lowest) / 2.0, 64.0, 0.05) << "centred on the note";
    }
}

// No leap where the nearest note changes (the midpoint), and no note it stays stuck on.
TEST(PitchCorrection, ASlowGlideBetweenScaleNotesPassesEveryPitchInBetween) {
    const struct {
        MusicalScale scale;
        double from, to;
        int32_t strength;
    } cases[] = {{MusicalScale::Major, 60.0, 62.0, 100},
                 {MusicalScale::Major, 65.0, 64.0, 100},
                 {MusicalScale::Blues, 60.0, 63.0, 100},
                 {MusicalScale::WholeTone, 62.0, 64.0, 60}};
    constexpr int kGlideMs = 3000;
    for (const auto& c : cases) {
        const Trace trace =
            run(correction(c.strength, 80, c.scale), kGlideMs + 1000, 0,
                [&](double t) { return c.from + (c.to - c.from) * std::min(t / kGlideMs, 1.0); });
        // While moving it runs ahead by the glide's speed times the rate (here under 10 cents).
        const double low = std::min(c.from, c.to);
        const double high = std::max(c.from, c.to);
        EXPECT_TRUE(trace.lowest <= low + kCent && trace.lowest >= low - 10 * kCent);
        EXPECT_TRUE(trace.highest >= high - kCent && trace.highest <= high + 10 * kCent);
        EXPECT_NEAR(trace.last, c.to, kCent) << "arrives";
        EXPECT_LT(trace.largestStep, 5 * kCent) << "a leap from " << c.from << " to " << c.to;
    }
}

// The old note's offset must not start a new note reached by a jump further off than the pointer.
TEST(PitchCorrection, ANewNoteReachedByAJumpStartsFromThePointersPitch) {
    for (const auto& [from, to] : {std::pair{69.3, 70.69}, {68.7, 67.3}}) {
        const Trace trace = run(correction(100, 80, MusicalScale::Major), 2000, 1000,
                                [from = from, to = to](double t) { return t < 1000 ? from : to; });
        EXPECT_TRUE(to > from ? trace.lowest >= to : trace.highest <= to) << from << " to " << to;
        EXPECT_NEAR(trace.last, std::round(to), kCent);
    }
}

TEST(PitchCorrection, OffOrStrengthZeroReturnTheInputBitForBit) {
    const double pitches[] = {64.3,  61.5000000001, 0.1 + 0.2,
                              -3.25, 1e-300,        std::numeric_limits<double>::infinity()};
    for (const engine::CorrectionSetup setup :
         {engine::CorrectionSetup{}, correction(0, 80, MusicalScale::Major),
          correction(0, 0, MusicalScale::Blues)}) {
        engine::CorrectionState state;
        for (const double pitch : pitches) {
            for (const double step : {1.0, 130.0}) {
                const double out = engine::correctedPitch(pitch, setup, step, state);
                EXPECT_EQ(std::bit_cast<uint64_t>(out), std::bit_cast<uint64_t>(pitch)) << pitch;
            }
        }
    }
}

// The filter keeps the share of its last step for the next one: a change of the step or of the
// rate while it runs must take effect at once.
TEST(PitchCorrection, AChangeOfStepOrRateMidwayTakesEffectAtOnce) {
    engine::CorrectionState state;
    const auto major = [](int32_t rateMs) { return correction(100, rateMs, MusicalScale::Major); };
    engine::correctedPitch(64.0, major(80), 1.0, state);  // on E: nothing to take away
    double left = 0.4;                                    // 64.4 held: 0.4 to take away
    for (const auto& [stepMs, rateMs] :
         {std::pair{5.0, 80}, {5.0, 80}, {5.0, 20}, {130.0, 20}, {130.0, 200}, {1.0, 200}}) {
        left *= std::exp(-stepMs / rateMs);
        EXPECT_NEAR(engine::correctedPitch(64.4, major(rateMs), stepMs, state), 64.0 + left, 1e-12)
            << stepMs << " ms at rate " << rateMs;
    }
    EXPECT_NEAR(engine::correctedPitch(64.4, major(0), 0.0, state), 64.0, 1e-12)
        << "rate 0 takes it all at once, even in a step of no time";
}

}  // namespace
