#pragma once
// What the engines see offline: the gesture's cursor at the render's current time, and the
// first failure an engine reports (any report means the render went wrong).

#include <cstdint>
#include <string>

#include "gesture.h"

class GestureCursor final : public platform::CursorSource {
  public:
    GestureCursor(const Gesture& played, platform::ScreenSize size)
        : gesture(played), screen(size) {}
    platform::CursorPosition cursorPosition() override {
        platform::CursorSource* replay = gesture.replayedReads();
        return replay != nullptr ? replay->cursorPosition() : gesture.cursorAt(nowMs);
    }
    platform::ScreenSize primaryScreenSize() override { return screen; }

    int64_t nowMs = 0;

  private:
    const Gesture& gesture;
    platform::ScreenSize screen;
};

struct RenderFailures {
    // Keeps the first report as one line: "caption: text".
    void note(const std::string& text, const std::string& caption) {
        if (!first.empty()) {
            return;
        }
        first = caption + ": " + text;
        for (char& c : first) {
            c = c == '\n' ? ' ' : c;
        }
    }
    std::string first;
};
