#pragma once
// Where the engines read the cursor and the primary screen's size. The application reads the
// real pointer; tests and lirveto-render give a scripted one.
//
// Thread: the position may be read on the GUI thread and, where the implementation allows it, on
// the timer thread (the DirectSound steps and MIDI ticks); never audio. QtCursorSource answers on
// the GUI thread only; a scripted source answers on whichever thread drives it.

#include <cstdint>

struct ScreenSize {
    int32_t width = 0;
    int32_t height = 0;
};

struct CursorPosition {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const CursorPosition&, const CursorPosition&) = default;
};

class CursorSource {
  public:
    virtual ~CursorSource() = default;
    // The pointer in screen coordinates. Thread: GUI, or timer where the implementation says so.
    virtual CursorPosition cursorPosition() = 0;
    // The primary screen's size in pixels. Thread: GUI.
    virtual ScreenSize primaryScreenSize() = 0;
};
