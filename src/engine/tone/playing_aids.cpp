#include "engine/tone/playing_aids.h"

#include "engine/tone/pitch_glide.h"

namespace engine {

PlayingAids currentPlayingAids() {
    return PlayingAids{currentCursorLayout(), currentCorrection(), currentGlide()};
}

double tunedPitch(int32_t x, platform::ScreenSize screen, const PlayingAids& aids, double elapsedMs,
                  CorrectionState& state) {
    return correctedPitch(pitchFromCursor(x, screen, aids.layout), aids.correction, elapsedMs,
                          state);
}

}  // namespace engine
