#include "engine/tone/refill_decision.h"

#include <cstdint>

#include "settings/settings_values.h"

namespace engine {

namespace {
// The rest count is checked before it grows, so counts 0 to 6 keep the tone (seven resting
// readings) and the eighth reading and later ones fall silent.
constexpr int32_t kLastSoundingRestCount = 6;
}  // namespace

void RefillDecision::startHistory(platform::CursorPosition cursorAtPlay) {
    cursorLast = cursorAtPlay;
    cursorBeforeLast = platform::CursorPosition{0, 0};
}

void RefillDecision::decide(platform::CursorPosition cursorNow, ToneRenderer& renderer) {
    const int32_t newAmplitude = amplitudeFromCursor(cursorNow.y, screen);
    const int32_t oldAmplitude = amplitudeFromCursor(cursorLast.y, screen);
    // Positions are compared, not frequencies: a sub-step move still counts as a move.
    const bool pitchMoved = cursorNow.x != cursorLast.x;
    // After a glide, one steady buffer must follow so the repeated buffer holds the new tone.
    const bool lastWasPitchGlide = cursorLast.x != cursorBeforeLast.x;
    const bool loudnessMoved = newAmplitude != oldAmplitude;
    const bool lastWasLoudnessGlide =
        oldAmplitude != amplitudeFromCursor(cursorBeforeLast.y, screen);

    if (pitchMoved || lastWasPitchGlide || loudnessMoved || lastWasLoudnessGlide) {
        renderer.renderNextBuffer(frequencyFromCursor(cursorNow.x, screen),
                                  frequencyFromCursor(cursorLast.x, screen), newAmplitude,
                                  oldAmplitude);
        rests = 0;
    } else if (settings::SwoopMode.load(std::memory_order_relaxed) != 0 &&
               cursorNow == cursorLast && cursorLast == cursorBeforeLast) {
        const int32_t restsBefore = rests;
        if (rests < INT32_MAX) {
            ++rests;
        }
        if (restsBefore > kLastSoundingRestCount) {
            const int32_t frequency = frequencyFromCursor(cursorNow.x, screen);
            renderer.renderNextBuffer(frequency, frequency, 0, 0);
        }
    }

    cursorBeforeLast = cursorLast;
    cursorLast = cursorNow;
}

}  // namespace engine
