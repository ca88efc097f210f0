#include "platform/backends/qt/qt_cursor_source.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace platform {

platform::CursorPosition QtCursorSource::cursorPosition() {
    const QPoint at = QCursor::pos();
    return primaryScreenFrame().fromLogical(at.x(), at.y());
}

platform::ScreenSize QtCursorSource::primaryScreenSize() {
    return primaryScreenFrame().size;
}

platform::ScreenFrame QtCursorSource::primaryScreenFrame() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {};
    }
    const QRect area = screen->geometry();
    const double scale = screen->devicePixelRatio();
    const QSize pixels = area.size() * scale;
    return {area.left(), area.top(), scale, {pixels.width(), pixels.height()}};
}

bool QtCursorSource::positionIsGlobal() {
    // Under XWayland the platform is xcb, yet the pointer is still hidden outside our windows.
    return !QGuiApplication::platformName().startsWith(QStringLiteral("wayland")) &&
           qEnvironmentVariable("XDG_SESSION_TYPE") != QStringLiteral("wayland");
}

}  // namespace platform
