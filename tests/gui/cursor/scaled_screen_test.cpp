// The cursor source on a desktop whose primary screen is scaled 2 (QT_SCALE_FACTOR, as on a 4K
// laptop) and lies away from the desktop's origin: positions and the size come in device pixels
// from the primary screen's corner, whether the pointer comes from Qt or from the X server.
// The offscreen platform is given that desktop before the application starts.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>
#include <cstdlib>
#include <fstream>
#include <future>
#include <memory>

#include "platform/backends/qt/any_thread_cursor_source.h"
#include "platform/backends/qt/qt_cursor_source.h"
#include "support/private_x_server.h"
#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"

namespace {

using platform::CursorPosition;

// Primary: 800 x 600 device pixels at (300, 200), so 400 x 300 logical at a scale of 2; a second
// screen to its right.
class ScaledDesktop : public ::testing::Environment {
  public:
    void SetUp() override {
        ASSERT_TRUE(folder.create("lirveto-scaled-screen"));
        const std::string config = (folder.path() / "screens.json").string();
        std::ofstream(config) << R"({"screens": [
            {"name": "primary", "x": 300, "y": 200, "width": 800, "height": 600},
            {"name": "right", "x": 1100, "y": 200, "width": 800, "height": 600}]})";
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + config.c_str());
        qputenv("QT_SCALE_FACTOR", "2");
        app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app.reset(); }

  private:
    testing_support::TemporaryFolder folder;
    int argc = 1;
    char name[8] = "lirveto";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
};

::testing::Environment* const desktop = ::testing::AddGlobalTestEnvironment(new ScaledDesktop);

CursorPosition readOnAnotherThread(platform::CursorSource& source) {
    return std::async(std::launch::async, [&source] { return source.cursorPosition(); }).get();
}

void expectTheScaledDesktop() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    ASSERT_NE(primary, nullptr);
    ASSERT_EQ(primary->geometry(), QRect(300, 200, 400, 300)) << "the desktop was not taken";
    ASSERT_EQ(primary->devicePixelRatio(), 2.0);
}

TEST(ScaledScreen, QtPositionsAreScaledAboutThePrimaryScreensCorner) {
    expectTheScaledDesktop();
    platform::AnyThreadCursorSource anyThread;
    platform::QtCursorSource guiOnly;
    for (platform::CursorSource* source : {static_cast<platform::CursorSource*>(&anyThread),
                                           static_cast<platform::CursorSource*>(&guiOnly)}) {
        EXPECT_EQ(source->primaryScreenSize().width, 800);
        EXPECT_EQ(source->primaryScreenSize().height, 600);
        QCursor::setPos(400, 350);  // logical: a quarter across, half down
        EXPECT_EQ(source->cursorPosition(), (CursorPosition{200, 300}));
    }
    EXPECT_EQ(readOnAnotherThread(anyThread), (CursorPosition{200, 300}));

    // Pointer events over our windows, read by a timer thread: left of and above the corner,
    // and the far corner.
    QWidget window;
    for (const auto& [global, seen] : {std::pair{QPointF(299, 199), CursorPosition{-2, -2}},
                                       std::pair{QPointF(700, 500), CursorPosition{800, 600}}}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(0, 0), global, Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &move);
        EXPECT_EQ(readOnAnotherThread(anyThread), seen);
    }
}

// The X pointer is in device pixels of the whole desktop: only the corner is taken off.
TEST(ScaledScreen, TheXPointerIsPlacedOnThePrimaryScreen) {
    expectTheScaledDesktop();
    testing_support::PrivateXServer server("1920x1080x24");
    ASSERT_FALSE(server.display.empty()) << "Xvfb did not start";
    testing_support::ScopedEnvironmentVariable display("DISPLAY");
    display.set(server.display);
    auto pointer = platform::connectDesktopPointer(platform::PointerFeed::questions);
    ASSERT_NE(pointer, nullptr);

    platform::AnyThreadCursorSource source(std::move(pointer));
    ASSERT_TRUE(source.readsXPointer());
    ASSERT_EQ(std::system("xdotool mousemove 700 500"), 0);
    EXPECT_EQ(readOnAnotherThread(source), (CursorPosition{400, 300})) << "the middle";
    EXPECT_EQ(source.primaryScreenSize().width, 800);
}

}  // namespace
