#pragma once
// Where the engines read the cursor and the primary screen's size. The application reads the
// real pointer; tests and lirveto-render give a scripted one.

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
    // The pointer in screen coordinates. Thread: as the implementation says (the Qt one: GUI).
    virtual CursorPosition cursorPosition() = 0;
    // The primary screen's size in pixels.
    virtual ScreenSize primaryScreenSize() = 0;
};
