#include "platform/backends/desktop_pointer.h"

#include <atomic>
#include <cstdio>

#include "platform/backends/xcb_pointer.h"
#include "platform/backends/xinput_pointer_watch.h"

namespace platform {

namespace {

std::unique_ptr<DesktopPointer> askingPointer() {
    auto asking = std::make_unique<XcbPointer>();
    if (!asking->isConnected() || !asking->query()) {
        return nullptr;
    }
    return asking;
}

}  // namespace

std::unique_ptr<DesktopPointer> connectDesktopPointer(PointerFeed feed) {
    if (feed == PointerFeed::questions) {
        return askingPointer();
    }
    XInputPointerWatch::Start why = XInputPointerWatch::Start::noServer;
    auto watch = XInputPointerWatch::start(why);
    if (watch != nullptr) {
        if (!watch->read()) {
            return nullptr;  // the pointer is on another X screen
        }
        return watch;
    }
    if (why != XInputPointerWatch::Start::noXInput2) {
        return nullptr;
    }
    static std::atomic<bool> told{false};
    if (!told.exchange(true)) {
        (void)std::fprintf(stderr,
                           "lirveto: the X server has no XInput 2: the pointer is asked for at "
                           "each step instead of told as it moves\n");
    }
    return askingPointer();
}

}  // namespace platform
