#include "engine/tone/refill_decision.h"

#include <cmath>
#include <cstdint>

#include "settings/settings_values.h"

namespace engine {

namespace {
// The rest count is checked before it grows, so counts 0 to 6 keep the tone (seven resting
// readings) and the eighth reading and later ones fall silent.
constexpr int32_t kLastSoundingRestCount = 6;
// A tuned pitch this close to the sounding one needs no new buffer: a tenth of a cent, far below
// what an ear tells apart, so a settling correction ends in rest rather than endless buffers.
constexpr double kSettledSemitones = 0.001;
}  // namespace

void RefillDecision::startHistory(platform::CursorPosition cursorAtPlay) {
    cursorLast = cursorAtPlay;
    cursorBeforeLast = platform::CursorPosition{0, 0};
    soundingFrequency = 0;
    lastGlided = false;
    lastTuned = false;
    correction = CorrectionState{};
}

void RefillDecision::decide(platform::CursorPosition cursorNow, ToneRenderer& renderer,
                            double elapsedMs) {
    const int32_t newAmplitude = amplitudeFromCursor(cursorNow.y, screen);
    const int32_t oldAmplitude = amplitudeFromCursor(cursorLast.y, screen);
    const bool loudnessMoved = newAmplitude != oldAmplitude;
    const bool lastWasLoudnessGlide =
        oldAmplitude != amplitudeFromCursor(cursorBeforeLast.y, screen);
    const bool loudnessAsks = loudnessMoved || lastWasLoudnessGlide;

    const PlayingAids aids = currentPlayingAids();
    if (aids.designedPitch()) {
        correction = CorrectionState{};  // switched on again later, it starts afresh
        decideDesigned(cursorNow, renderer, newAmplitude, oldAmplitude, loudnessAsks);
    } else {
        decideTuned(cursorNow, renderer, aids, elapsedMs, newAmplitude, oldAmplitude, loudnessAsks);
    }

    cursorBeforeLast = cursorLast;
    cursorLast = cursorNow;
}

void RefillDecision::decideDesigned(platform::CursorPosition cursorNow, ToneRenderer& renderer,
                                    int32_t newAmplitude, int32_t oldAmplitude, bool loudnessAsks) {
    // Positions are compared, not frequencies: a sub-step move still counts as a move.
    const bool pitchMoved = cursorNow.x != cursorLast.x;
    // After a glide, one steady buffer must follow so the repeated buffer holds the new tone.
    const bool lastWasPitchGlide = cursorLast.x != cursorBeforeLast.x;
    // A buffer of the aids (switched off just now) gives way to the designed tone at once.
    if (pitchMoved || lastWasPitchGlide || loudnessAsks || lastTuned) {
        const int32_t newFrequency = frequencyFromCursor(cursorNow.x, screen);
        const int32_t oldFrequency = frequencyFromCursor(cursorLast.x, screen);
        renderer.renderNextBuffer(newFrequency, oldFrequency, newAmplitude, oldAmplitude);
        rendered(newFrequency, oldFrequency, false);
        rests = 0;
    } else if (silenceDue(cursorNow)) {
        const int32_t frequency = frequencyFromCursor(cursorNow.x, screen);
        renderer.renderNextBuffer(frequency, frequency, 0, 0);
        rendered(frequency, frequency, false);
    }
}

void RefillDecision::decideTuned(platform::CursorPosition cursorNow, ToneRenderer& renderer,
                                 const PlayingAids& aids, double elapsedMs, int32_t newAmplitude,
                                 int32_t oldAmplitude, bool loudnessAsks) {
    const double pitch = tunedPitch(cursorNow.x, screen, aids, elapsedMs, correction);
    const double newFrequency = frequencyFromPitch(pitch);
    const bool first = !(soundingFrequency > 0.0);
    const double oldFrequency = first ? newFrequency : soundingFrequency;
    const bool pitchMoved =
        first || !lastTuned ||
        !(std::fabs(pitch - pitchFromFrequency(soundingFrequency)) <= kSettledSemitones);
    if (pitchMoved || lastGlided || loudnessAsks) {
        // A pitch that has all but settled holds the sounding one: the buffer after a glide is
        // then steady, and the correction's last hair of movement never keeps buffers coming.
        const double target = pitchMoved ? newFrequency : soundingFrequency;
        renderer.renderTunedBuffer(target, oldFrequency, newAmplitude, oldAmplitude);
        rendered(target, oldFrequency, true);
        rests = 0;
    } else if (silenceDue(cursorNow)) {
        renderer.renderTunedBuffer(soundingFrequency, soundingFrequency, 0, 0);
        rendered(soundingFrequency, soundingFrequency, true);
    }
}

bool RefillDecision::silenceDue(platform::CursorPosition cursorNow) {
    if (settings::SwoopMode.load(std::memory_order_relaxed) == 0 || cursorNow != cursorLast ||
        cursorLast != cursorBeforeLast) {
        return false;
    }
    const int32_t restsBefore = rests;
    if (rests < INT32_MAX) {
        ++rests;
    }
    return restsBefore > kLastSoundingRestCount;
}

void RefillDecision::rendered(double newFrequency, double oldFrequency, bool tuned) {
    soundingFrequency = newFrequency;
    lastGlided = newFrequency != oldFrequency;
    lastTuned = tuned;
}

}  // namespace engine
