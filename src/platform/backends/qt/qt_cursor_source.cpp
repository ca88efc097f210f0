#include "platform/backends/qt/qt_cursor_source.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace platform {

platform::CursorPosition QtCursorSource::cursorPosition() {
    const QPoint at = QCursor::pos();
    return {at.x(), at.y()};
}

platform::ScreenSize QtCursorSource::primaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {};
    }
    const QSize size = screen->size();
    return {size.width(), size.height()};
}

bool QtCursorSource::positionIsGlobal() {
    // Under XWayland the platform is xcb, yet the pointer is still hidden outside our windows.
    return !QGuiApplication::platformName().startsWith(QStringLiteral("wayland")) &&
           qEnvironmentVariable("XDG_SESSION_TYPE") != QStringLiteral("wayland");
}

}  // namespace platform
