#pragma once
// What every offline engine run needs around it: a cursor that follows the gesture on the
// virtual clock, and message boxes that turn the first failure into the render's error.

#include <string>

#include "gesture.h"
#include "platform/cursor_source.h"
#include "platform/message_box.h"

class GestureCursor final : public CursorSource {
  public:
    GestureCursor(const Gesture& played, ScreenSize size) : gesture(played), screen(size) {}
    CursorPosition cursorPosition() override { return gesture.cursorAt(nowMs); }
    ScreenSize primaryScreenSize() override { return screen; }

    int64_t nowMs = 0;

  private:
    const Gesture& gesture;
    ScreenSize screen;
};

class FailureMessages final : public platform::MessageBox {
  public:
    int show(const std::string& text, const std::string& caption,
             platform::MessageBoxStyle) override {
        if (failure.empty()) {
            failure = caption + ": " + text;
            for (char& c : failure) {
                c = c == '\n' ? ' ' : c;
            }
        }
        return platform::MessageBoxResult::IDOK;
    }
    std::string failure;
};
