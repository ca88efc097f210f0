#pragma once
// A cursor that is wherever the test puts it, optionally following a script of positions that
// successive reads step through (the last one stays).

#include <deque>

#include "platform/cursor_source.h"

namespace testing_support {

class ScriptedCursor final : public platform::CursorSource {
  public:
    explicit ScriptedCursor(platform::CursorPosition start = {},
                            platform::ScreenSize size = {1000, 1000})
        : position(start), screen(size) {}

    platform::CursorPosition cursorPosition() override {
        ++reads;
        if (!script.empty()) {
            position = script.front();
            script.pop_front();
        }
        return position;
    }
    platform::ScreenSize primaryScreenSize() override { return screen; }

    platform::CursorPosition position;
    platform::ScreenSize screen;
    std::deque<platform::CursorPosition> script;
    int reads = 0;
};

}  // namespace testing_support
