#pragma once
// Decides, each time the output hands a buffer back, whether the cursor calls for a new stretch
// of sound, a repetition of the last one, or silence.

#include <cstdint>

#include "engine/tone/cursor_mapping.h"
#include "engine/tone/playing_aids.h"

namespace engine {

// What the refill decision calls when a new buffer must be rendered. Thread: GUI.
class ToneRenderer {
  public:
    virtual ~ToneRenderer() = default;
    virtual void renderNextBuffer(int32_t newFrequency, int32_t oldFrequency, int32_t newAmplitude,
                                  int32_t oldAmplitude) = 0;
    // The same for the playing aids, whose frequencies are not whole hertz.
    virtual void renderTunedBuffer(double newFrequency, double oldFrequency, int32_t newAmplitude,
                                   int32_t oldAmplitude) = 0;
};

// The cursor history of a page.
//
// Thread: GUI (in lirveto-render, the one thread that drives the page).
class RefillDecision {
  public:
    // The screen size is taken once, when the page is set up.
    void setScreen(platform::ScreenSize size) { screen = size; }
    platform::ScreenSize screenSize() const { return screen; }

    // At Play: the history starts from the cursor of that moment, the correction afresh. The
    // rest count is kept.
    void startHistory(platform::CursorPosition cursorAtPlay);

    // One refill: renders through `renderer` when the cursor asks for it, then shifts the history.
    // Reads settings::SwoopMode, Pitch, Volume and the playing aids. `elapsedMs` is the time
    // since the previous refill's buffer began (the correction runs on it).
    //
    // With the aids on (a semitones layout or a correction), the pitch decides instead of the
    // x position: a new buffer follows the pitch the aids make of the cursor whenever it has
    // moved by more than a tenth of a cent from the one sounding, so a correction that is still
    // settling is heard with the cursor standing still, and rests once it has settled.
    void decide(platform::CursorPosition cursorNow, ToneRenderer& renderer, double elapsedMs = 0);

    int32_t restCount() const { return rests; }

  private:
    // The steps of decide once the loudness is known.
    void decideDesigned(platform::CursorPosition cursorNow, ToneRenderer& renderer,
                        int32_t newAmplitude, int32_t oldAmplitude, bool loudnessAsks);
    void decideTuned(platform::CursorPosition cursorNow, ToneRenderer& renderer,
                     const PlayingAids& aids, double elapsedMs, int32_t newAmplitude,
                     int32_t oldAmplitude, bool loudnessAsks);
    // Swoop mode: silence after the cursor has rested long enough. Returns whether it is due.
    bool silenceDue(platform::CursorPosition cursorNow);
    void rendered(double newFrequency, double oldFrequency, bool tuned);

    platform::ScreenSize screen;
    platform::CursorPosition cursorLast;
    platform::CursorPosition cursorBeforeLast;
    int32_t rests = 0;
    // The last buffer rendered since Play: the frequency it ends on (0: none yet), whether it
    // glided to it, and whether the aids made it.
    double soundingFrequency = 0;
    bool lastGlided = false;
    bool lastTuned = false;
    CorrectionState correction;
};

}  // namespace engine
