#pragma once
// The pointer and the primary screen through Qt. On X11 the position is global; a Wayland
// session tells a program the pointer only while it is over one of the program's windows, so
// there the last position seen over Lirveto is what plays.

#include "platform/cursor_source.h"

namespace platform {

class QtCursorSource final : public CursorSource {
  public:
    // Thread: GUI (QCursor reads the pointer through the GUI thread's connection).
    CursorPosition cursorPosition() override;
    // Thread: GUI. 0 x 0 when there is no screen.
    ScreenSize primaryScreenSize() override;

    // False on a Wayland session (native or XWayland), where the position outside Lirveto's windows
    // is not known. Thread: GUI, after the application object exists.
    static bool positionIsGlobal();
};

}  // namespace platform
