#include "platform/backends/qt/any_thread_cursor_source.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>

#include "platform/backends/qt/qt_cursor_source.h"

namespace platform {

AnyThreadCursorSource::AnyThreadCursorSource() : guiThread(std::this_thread::get_id()) {
    // Only a session whose pointer is global on an X server we share with Qt qualifies: on the
    // offscreen platform the cursor is Qt's own, and XWayland hides the pointer outside our
    // windows.
    if (QGuiApplication::platformName() == QStringLiteral("xcb") &&
        QtCursorSource::positionIsGlobal()) {
        auto connected = std::make_unique<XcbPointer>();
        if (connected->isConnected() && connected->query()) {
            pointer = std::move(connected);
        }
    }
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    remember(QtCursorSource().cursorPosition());
}

AnyThreadCursorSource::~AnyThreadCursorSource() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

platform::CursorPosition AnyThreadCursorSource::cursorPosition() {
    if (pointer != nullptr) {
        if (const auto at = pointer->query()) {
            return *at;
        }
    }
    if (std::this_thread::get_id() == guiThread) {
        const platform::CursorPosition at = QtCursorSource().cursorPosition();
        remember(at);
        return at;
    }
    return lastSeen();
}

platform::ScreenSize AnyThreadCursorSource::primaryScreenSize() {
    return QtCursorSource().primaryScreenSize();
}

bool AnyThreadCursorSource::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::Enter: {
            const auto* pointed = static_cast<const QSinglePointEvent*>(event);
            const QPointF global = pointed->globalPosition();
            remember({static_cast<int32_t>(global.x()), static_cast<int32_t>(global.y())});
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void AnyThreadCursorSource::remember(platform::CursorPosition position) {
    seen.store(static_cast<uint64_t>(static_cast<uint32_t>(position.x)) << 32 |
                   static_cast<uint32_t>(position.y),
               std::memory_order_relaxed);
}

platform::CursorPosition AnyThreadCursorSource::lastSeen() const {
    const uint64_t packed = seen.load(std::memory_order_relaxed);
    return {static_cast<int32_t>(static_cast<uint32_t>(packed >> 32)),
            static_cast<int32_t>(static_cast<uint32_t>(packed))};
}

}  // namespace platform
