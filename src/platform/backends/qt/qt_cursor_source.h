#pragma once
// The pointer and the primary screen through Qt. On X11 the position is global; a Wayland
// session tells a program the pointer only while it is over one of the program's windows, so
// there the last position seen over Lirveto is what plays. Positions and the size are in device
// pixels from the primary screen's corner (CursorSource).

#include "platform/cursor_source.h"

namespace platform {

class QtCursorSource final : public platform::CursorSource {
  public:
    // Thread: GUI (QCursor reads the pointer through the GUI thread's connection).
    platform::CursorPosition cursorPosition() override;
    // Thread: GUI. 0 x 0 when there is no screen.
    platform::ScreenSize primaryScreenSize() override;

    // The primary screen as it is now; no screen gives an empty frame at the origin. Thread: GUI.
    static platform::ScreenFrame primaryScreenFrame();

    // False on a Wayland session (native or XWayland), where the position outside Lirveto's windows
    // is not known. Thread: GUI, after the application object exists.
    static bool positionIsGlobal();
};

}  // namespace platform
