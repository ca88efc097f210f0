#include "platform/backends/xcb_pointer.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace platform {

XcbPointer::XcbPointer() {
    int screenNumber = 0;
    xcb_connection_t* made = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(made) != 0) {
        xcb_disconnect(made);
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(made));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem == 0) {
        xcb_disconnect(made);
        return;
    }
    root = screens.data->root;
    connection = made;
}

XcbPointer::~XcbPointer() {
    if (connection != nullptr) {
        xcb_disconnect(connection);
    }
}

std::optional<platform::CursorPosition> XcbPointer::query() const {
    if (connection == nullptr) {
        return std::nullopt;
    }
    xcb_query_pointer_reply_t* reply =
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr);
    if (reply == nullptr) {
        return std::nullopt;
    }
    const bool onThisScreen = reply->same_screen != 0;
    const platform::CursorPosition at{reply->root_x, reply->root_y};
    std::free(reply);
    if (!onThisScreen) {
        return std::nullopt;
    }
    return at;
}

}  // namespace platform
