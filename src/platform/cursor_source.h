#pragma once
// Where the engines read the cursor and the primary screen's size. The application reads the
// real pointer; tests and lirveto-render give a scripted one.
//
// Both are in the same units, relative to the primary screen's top-left corner: x runs 0..width
// across the primary screen whatever the screen's scale and wherever it lies on the desktop, and
// positions on other screens fall outside that range.
//
// Thread: the position may be read on the GUI thread and, where the implementation allows it, on
// the timer thread (the DirectSound steps and MIDI ticks); never audio. QtCursorSource answers on
// the GUI thread only; a scripted source answers on whichever thread drives it.

#include <cmath>
#include <cstdint>

namespace platform {

struct ScreenSize {
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const ScreenSize&, const ScreenSize&) = default;
};

struct CursorPosition {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const CursorPosition&, const CursorPosition&) = default;
};

class CursorSource {
  public:
    virtual ~CursorSource() = default;
    // The pointer relative to the primary screen's corner. Thread: GUI, or timer where the
    // implementation says so.
    virtual CursorPosition cursorPosition() = 0;
    // The primary screen's size, in the units of the position. Thread: GUI.
    virtual ScreenSize primaryScreenSize() = 0;
};

// The primary screen on the desktop, in device pixels. A desktop position reaches the engines in
// device pixels from its corner: the X pointer is in device pixels already, and Qt keeps a
// screen's corner in place when it scales to logical pixels, so its positions are scaled about
// that corner. Pure.
struct ScreenFrame {
    int32_t left = 0;
    int32_t top = 0;
    double scale = 1.0;  // device pixels per logical pixel
    ScreenSize size;     // device pixels

    // A desktop position in device pixels (the X server's).
    CursorPosition fromDevice(int32_t x, int32_t y) const { return {x - left, y - top}; }
    // A desktop position in logical pixels (Qt's).
    CursorPosition fromLogical(double x, double y) const {
        return {static_cast<int32_t>(std::floor((x - left) * scale)),
                static_cast<int32_t>(std::floor((y - top) * scale))};
    }
};

}  // namespace platform
