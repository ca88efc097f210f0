#pragma once
// Decides, each time the output hands a buffer back, whether the cursor calls for a new stretch
// of sound, a repetition of the last one, or silence.

#include <cstdint>

#include "engine/tone/cursor_mapping.h"

namespace engine {

// What the refill decision calls when a new buffer must be rendered. Thread: GUI.
class ToneRenderer {
  public:
    virtual ~ToneRenderer() = default;
    virtual void renderNextBuffer(int32_t newFrequency, int32_t oldFrequency, int32_t newAmplitude,
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

    // At Play: the history starts from the cursor of that moment. The rest count is kept.
    void startHistory(platform::CursorPosition cursorAtPlay);

    // One refill: renders through `renderer` when the cursor asks for it, then shifts the history.
    // Reads settings::SwoopMode, Pitch and Volume.
    void decide(platform::CursorPosition cursorNow, ToneRenderer& renderer);

    int32_t restCount() const { return rests; }

  private:
    platform::ScreenSize screen;
    platform::CursorPosition cursorLast;
    platform::CursorPosition cursorBeforeLast;
    int32_t rests = 0;
};

}  // namespace engine
