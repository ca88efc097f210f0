#include "platform/backends/qt/any_thread_cursor_source.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>

#include "platform/backends/qt/qt_cursor_source.h"

namespace platform {

namespace {

// Only a session whose pointer is global on an X server we share with Qt qualifies: on the
// offscreen platform the cursor is Qt's own, and XWayland hides the pointer outside our windows.
std::unique_ptr<DesktopPointer> sharedXPointer() {
    if (QGuiApplication::platformName() != QStringLiteral("xcb") ||
        !QtCursorSource::positionIsGlobal()) {
        return nullptr;
    }
    return connectDesktopPointer();
}

}  // namespace

AnyThreadCursorSource::AnyThreadCursorSource() : AnyThreadCursorSource(sharedXPointer()) {}

AnyThreadCursorSource::AnyThreadCursorSource(std::unique_ptr<DesktopPointer> xPointer)
    : pointer(std::move(xPointer)), guiThread(std::this_thread::get_id()) {
    takeFrame(QtCursorSource::primaryScreenFrame());
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
        if (const auto at = pointer->read()) {
            return frame().fromDevice(at->x, at->y);
        }
    }
    if (std::this_thread::get_id() == guiThread) {
        const QPoint logical = QCursor::pos();
        const platform::CursorPosition at = frame().fromLogical(logical.x(), logical.y());
        remember(at);
        return at;
    }
    return seen.read().value_or(platform::CursorPosition{});
}

platform::ScreenSize AnyThreadCursorSource::primaryScreenSize() {
    const platform::ScreenFrame now = QtCursorSource::primaryScreenFrame();
    takeFrame(now);
    return now.size;
}

void AnyThreadCursorSource::takeFrame(const platform::ScreenFrame& taken) {
    corner.publish({taken.left, taken.top});
    scale.store(taken.scale, std::memory_order_relaxed);
}

platform::ScreenFrame AnyThreadCursorSource::frame() const {
    const platform::CursorPosition at = corner.read().value_or(platform::CursorPosition{});
    return {at.x, at.y, scale.load(std::memory_order_relaxed), {}};
}

bool AnyThreadCursorSource::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::Enter: {
            const auto* pointed = static_cast<const QSinglePointEvent*>(event);
            const QPointF global = pointed->globalPosition();
            remember(frame().fromLogical(global.x(), global.y()));
            if (pointer != nullptr) {
                pointer->movedOverOurWindow();
            }
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void AnyThreadCursorSource::remember(platform::CursorPosition position) {
    seen.publish(position);
}

}  // namespace platform
