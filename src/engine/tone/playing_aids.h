#pragma once
// The playing aids as an engine reads them at one step, refill or tick: the pitch layout, the
// correction toward a scale and the DirectSound page's glide. With the layout in hertz and no
// correction the engines keep their designed whole-number arithmetic, so that what they play and
// record stays exactly as it always was.
//
// Thread: any thread (every function here; none allocates).

#include <cstdint>

#include "engine/tone/pitch_correction.h"
#include "engine/tone/pitch_layout.h"
#include "settings/playing_values.h"

namespace engine {

struct PlayingAids {
    CursorLayoutSetup layout;
    CorrectionSetup correction;
    int32_t glide = settings::glideClassic;  // milliseconds, or glideClassic

    // Neither the layout nor a correction moves the pitch off the designed mapping.
    bool designedPitch() const {
        return layout.layout == settings::PitchLayout::Hertz && !correction.on;
    }
};

// What the settings hold now (atomic loads).
PlayingAids currentPlayingAids();

// The pitch the aids make of a cursor column: the layout's pitch (hertz: the Wave mapping),
// corrected `elapsedMs` after the previous call.
double tunedPitch(int32_t x, platform::ScreenSize screen, const PlayingAids& aids, double elapsedMs,
                  CorrectionState& state);

}  // namespace engine
