#include "platform/backends/qt/any_thread_cursor_source.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>

#include "platform/backends/qt/qt_cursor_source.h"

namespace platform {

namespace {

uint64_t pack(platform::CursorPosition position) {
    return static_cast<uint64_t>(static_cast<uint32_t>(position.x)) << 32 |
           static_cast<uint32_t>(position.y);
}

platform::CursorPosition unpack(uint64_t packed) {
    return {static_cast<int32_t>(static_cast<uint32_t>(packed >> 32)),
            static_cast<int32_t>(static_cast<uint32_t>(packed))};
}

// Only a session whose pointer is global on an X server we share with Qt qualifies: on the
// offscreen platform the cursor is Qt's own, and XWayland hides the pointer outside our windows.
std::unique_ptr<XcbPointer> sharedXPointer() {
    if (QGuiApplication::platformName() != QStringLiteral("xcb") ||
        !QtCursorSource::positionIsGlobal()) {
        return nullptr;
    }
    auto connected = std::make_unique<XcbPointer>();
    return connected->isConnected() && connected->query() ? std::move(connected) : nullptr;
}

}  // namespace

AnyThreadCursorSource::AnyThreadCursorSource() : AnyThreadCursorSource(sharedXPointer()) {}

AnyThreadCursorSource::AnyThreadCursorSource(std::unique_ptr<XcbPointer> xPointer)
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
    return lastSeen();
}

platform::ScreenSize AnyThreadCursorSource::primaryScreenSize() {
    const platform::ScreenFrame now = QtCursorSource::primaryScreenFrame();
    takeFrame(now);
    return now.size;
}

void AnyThreadCursorSource::takeFrame(const platform::ScreenFrame& taken) {
    corner.store(pack({taken.left, taken.top}), std::memory_order_relaxed);
    scale.store(taken.scale, std::memory_order_relaxed);
}

platform::ScreenFrame AnyThreadCursorSource::frame() const {
    const platform::CursorPosition at = unpack(corner.load(std::memory_order_relaxed));
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
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void AnyThreadCursorSource::remember(platform::CursorPosition position) {
    seen.store(pack(position), std::memory_order_relaxed);
}

platform::CursorPosition AnyThreadCursorSource::lastSeen() const {
    return unpack(seen.load(std::memory_order_relaxed));
}

}  // namespace platform
