#include "platform/backends/x11_window_hints.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <array>
#include <cstdint>
#include <cstdlib>

namespace platform {

namespace {

// The Motif window manager hints: flags, functions, decorations, input mode, status.
namespace mwm {
constexpr std::uint32_t hasFunctions = 1u << 0;
constexpr std::uint32_t hasDecorations = 1u << 1;
constexpr std::uint32_t functionMove = 1u << 2;
constexpr std::uint32_t functionMinimize = 1u << 3;
constexpr std::uint32_t functionClose = 1u << 5;
constexpr std::uint32_t decorBorder = 1u << 1;
constexpr std::uint32_t decorTitle = 1u << 3;
constexpr std::uint32_t decorMenu = 1u << 4;
constexpr std::uint32_t decorMinimize = 1u << 5;
}  // namespace mwm

xcb_atom_t atomNamed(xcb_connection_t* connection, const char* name, std::uint16_t length) {
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, length, name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (reply == nullptr) {
        return XCB_ATOM_NONE;
    }
    const xcb_atom_t atom = reply->atom;
    std::free(reply);  // NOLINT(cppcoreguidelines-no-malloc): xcb allocates its replies
    return atom;
}

}  // namespace

void offerNoResizing(QWidget* window) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (window == nullptr || x11 == nullptr || x11->connection() == nullptr) {
        return;
    }
    xcb_connection_t* connection = x11->connection();
    static constexpr char name[] = "_MOTIF_WM_HINTS";
    const xcb_atom_t hints = atomNamed(connection, name, sizeof name - 1);
    if (hints == XCB_ATOM_NONE) {
        return;
    }
    const std::array<std::uint32_t, 5> value = {
        mwm::hasFunctions | mwm::hasDecorations,
        mwm::functionMove | mwm::functionMinimize | mwm::functionClose,
        mwm::decorBorder | mwm::decorTitle | mwm::decorMenu | mwm::decorMinimize, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE,
                        static_cast<xcb_window_t>(window->winId()), hints, hints, 32, value.size(),
                        value.data());
    xcb_flush(connection);
}

}  // namespace platform
