#pragma once
// What a window of fixed size tells an X11 window manager. Qt marks every top-level window as
// resizable in its Motif hints, and some window managers then draw a maximise button that a
// fixed size cannot honour.

class QWidget;

namespace platform {

// Tells the window manager that `window` (a top-level window) can be moved, minimised and
// closed, but neither resized nor maximised. Does nothing outside X11. GUI thread.
void offerNoResizing(QWidget* window);

}  // namespace platform
