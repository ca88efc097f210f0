#include "engine/tone/pitch_correction.h"

#include <algorithm>
#include <cmath>

#include "engine/tone/scale_notes.h"

namespace engine {

namespace {

// The share of the way to a new input that a one-pole low-pass covers in `elapsedMs`: exact
// for a held input whatever the call spacing, so the engines' different clocks (1 ms steps,
// 5 ms ticks, whole buffers) correct alike.
double followShare(double elapsedMs, int32_t rateMs) {
    if (rateMs <= 0) {
        return 1.0;
    }
    if (!(elapsedMs > 0.0)) {
        return 0.0;  // no time, or a clock that went back: nothing moves
    }
    return -std::expm1(-elapsedMs / static_cast<double>(rateMs));
}

}  // namespace

CorrectionSetup currentCorrection() {
    return CorrectionSetup{settings::Correction.load(std::memory_order_relaxed),
                           settings::CorrectionScale.load(std::memory_order_relaxed),
                           settings::CorrectionRoot.load(std::memory_order_relaxed),
                           settings::CorrectionStrength.load(std::memory_order_relaxed),
                           settings::CorrectionRate.load(std::memory_order_relaxed)};
}

double correctedPitch(double exactPitch, const CorrectionSetup& setup, double elapsedMs,
                      CorrectionState& state) {
    if (!setup.on) {
        state = CorrectionState{};
        return exactPitch;
    }
    const double target = nearestScaleNote(exactPitch, setup.scale, setup.root);
    if (!std::isfinite(exactPitch) || !std::isfinite(target)) {
        return exactPitch;
    }
    const double offset = exactPitch - target;
    if (!state.primed) {
        state = CorrectionState{offset, true};
    } else {
        if (target != state.target &&
            std::fabs(exactPitch - state.pitch) >= std::fabs(state.offset)) {
            state.offset = 0.0;  // a jump: the new note starts from the pitch played
        }
        if (elapsedMs != state.shareMs || setup.rateMs != state.shareRateMs) {
            state.share = followShare(elapsedMs, setup.rateMs);
            state.shareMs = elapsedMs;
            state.shareRateMs = setup.rateMs;
        }
        state.offset += state.share * (offset - state.offset);
    }
    state.pitch = exactPitch;
    state.target = target;
    const int32_t strength = std::clamp(setup.strength, 0, settings::strengthMaxPercent);
    if (strength == 0) {
        return exactPitch;
    }
    return exactPitch - static_cast<double>(strength) / 100.0 * state.offset;
}

}  // namespace engine
