#pragma once
// The X server's pointer for any thread: where it is on the whole desktop, in device pixels
// (AnyThreadCursorSource places it on the primary screen).
//
// Thread: make and destroy on one thread; read from any thread.

#include <memory>
#include <optional>

#include "platform/cursor_source.h"

namespace platform {

class DesktopPointer {
  public:
    virtual ~DesktopPointer() = default;
    // Where the pointer is; nothing when the server cannot say (gone, or the pointer is on
    // another X screen).
    virtual std::optional<CursorPosition> read() = 0;
    // A window of ours saw the pointer move. A source fed by events asks the server where it is
    // now: over our windows the root is not told of every move (see XInputPointerWatch).
    // Thread: GUI.
    virtual void movedOverOurWindow() {}
};

// How the pointer reaches the readers: told by the server as it moves (XInput 2), or asked for.
enum class PointerFeed { events, questions };

// The pointer of the display named by DISPLAY, fed by its motion events; where the server has no
// XInput 2 (or `feed` says so), by questions, and the log says so once a process. Nothing without
// a server, or when it cannot tell where the pointer is.
std::unique_ptr<DesktopPointer> connectDesktopPointer(PointerFeed feed = PointerFeed::events);

}  // namespace platform
