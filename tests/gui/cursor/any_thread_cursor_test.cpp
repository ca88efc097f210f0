#include "platform/backends/qt/any_thread_cursor_source.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QMouseEvent>
#include <QWidget>
#include <future>

#include "support/qt_application.h"

namespace {

using platform::AnyThreadCursorSource;

platform::CursorPosition readOnAnotherThread(AnyThreadCursorSource& source) {
    return std::async(std::launch::async, [&source] { return source.cursorPosition(); }).get();
}

TEST(AnyThreadCursorSource, OffscreenTimerThreadsSeeTheLastPositionTheGuiThreadSaw) {
    AnyThreadCursorSource source;
    ASSERT_FALSE(source.readsXPointer()) << "the offscreen platform has no X pointer";

    QCursor::setPos(120, 340);
    EXPECT_EQ(source.cursorPosition(), (platform::CursorPosition{120, 340}))
        << "GUI thread: Qt's cursor";
    EXPECT_EQ(readOnAnotherThread(source), (platform::CursorPosition{120, 340}));

    // A pointer event over one of our windows, while the GUI thread itself reads nothing.
    QWidget window;
    window.resize(200, 200);
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 6), QPointF(505, 606), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &move);
    EXPECT_EQ(readOnAnotherThread(source), (platform::CursorPosition{505, 606}));

    // Positions left of or above the primary screen survive the packing.
    QMouseEvent beyond(QEvent::MouseMove, QPointF(0, 0), QPointF(-40, -7), Qt::NoButton,
                       Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &beyond);
    EXPECT_EQ(readOnAnotherThread(source), (platform::CursorPosition{-40, -7}));
    EXPECT_GT(source.primaryScreenSize().width, 0);
}

}  // namespace
