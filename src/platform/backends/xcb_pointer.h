#pragma once
// The X server's pointer, read through a connection of our own so that any thread may ask
// without going near the GUI thread's connection or its event loop.
//
// Threads: construct and destroy on one thread; query from any thread (xcb serialises the
// requests on the connection).

#include <cstdint>
#include <optional>

#include "platform/cursor_source.h"

struct xcb_connection_t;

namespace platform {

class XcbPointer {
  public:
    // Connects to the display named by DISPLAY; without one the pointer is simply not there.
    XcbPointer();
    ~XcbPointer();
    XcbPointer(const XcbPointer&) = delete;
    XcbPointer& operator=(const XcbPointer&) = delete;

    bool isConnected() const { return connection != nullptr; }

    // The pointer on the default screen's root window, in device pixels of the whole desktop
    // (AnyThreadCursorSource places it on the primary screen); nothing when the server does not
    // answer (gone, or the pointer is on another X screen).
    std::optional<platform::CursorPosition> query() const;

  private:
    xcb_connection_t* connection = nullptr;
    uint32_t root = 0;
};

}  // namespace platform
