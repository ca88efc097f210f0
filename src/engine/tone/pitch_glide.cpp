#include "engine/tone/pitch_glide.h"

#include <cmath>

#include "engine/tone/pitch_layout.h"
#include "settings/playing_values.h"

namespace engine {

int32_t currentGlide() {
    return settings::Glide.load(std::memory_order_relaxed);
}

double glidedPitch(double wantedPitch, int32_t glideMs, double elapsedMs, GlideState& state) {
    if (!std::isfinite(wantedPitch)) {
        return wantedPitch;
    }
    if (!state.started || glideMs <= 0 || !std::isfinite(state.pitch)) {
        state = GlideState{wantedPitch, true};
        return wantedPitch;
    }
    if (elapsedMs > 0.0) {
        // Exact for any step length, so the glide time does not depend on the engine's clock.
        if (elapsedMs != state.shareMs || glideMs != state.shareGlideMs) {
            state.share = -std::expm1(-elapsedMs / static_cast<double>(glideMs));
            state.shareMs = elapsedMs;
            state.shareGlideMs = glideMs;
        }
        state.pitch += state.share * (wantedPitch - state.pitch);
    }
    return state.pitch;
}

double glidedFrequency(double wantedFrequency, int32_t glideMs, double elapsedMs,
                       GlideState& state) {
    if (!(wantedFrequency > 0.0)) {
        return wantedFrequency;
    }
    return frequencyFromPitch(
        glidedPitch(pitchFromFrequency(wantedFrequency), glideMs, elapsedMs, state));
}

}  // namespace engine
