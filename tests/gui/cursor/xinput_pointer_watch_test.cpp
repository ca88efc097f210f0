#include "platform/backends/xinput_pointer_watch.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "support/private_x_server.h"
#include "support/scoped_environment_variable.h"

namespace {

using platform::CursorPosition;
using platform::XInputPointerWatch;
using testing_support::PrivateXServer;

void moveWithXdotool(const std::string& moves) {
    ASSERT_EQ(std::system(("xdotool " + moves).c_str()), 0) << moves;
}

// What `pointer` reads on another thread once it reads `wanted`, or after five seconds.
std::optional<CursorPosition> settlesAt(platform::DesktopPointer& pointer, CursorPosition wanted) {
    return std::async(std::launch::async,
                      [&pointer, wanted] {
                          const auto giveUp =
                              std::chrono::steady_clock::now() + std::chrono::seconds(5);
                          std::optional<CursorPosition> seen = pointer.read();
                          while (seen != wanted && std::chrono::steady_clock::now() < giveUp) {
                              std::this_thread::sleep_for(std::chrono::milliseconds(2));
                              seen = pointer.read();
                          }
                          return seen;
                      })
        .get();
}

// Another client's window that takes pointer motion itself, so motion over it stops there.
class ForeignWindow {
  public:
    ForeignWindow(int16_t x, int16_t y, uint16_t side) : connection(xcb_connect(nullptr, nullptr)) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        window = xcb_generate_id(connection);
        const uint32_t events = XCB_EVENT_MASK_POINTER_MOTION;
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, x, y, side, side,
                          0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK,
                          &events);
        xcb_map_window(connection, window);
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    ~ForeignWindow() { xcb_disconnect(connection); }
    ForeignWindow(const ForeignWindow&) = delete;
    ForeignWindow& operator=(const ForeignWindow&) = delete;

  private:
    xcb_connection_t* connection;
    xcb_window_t window = 0;
};

class PointerWatchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(server->display.empty()) << "Xvfb did not start";
        display.set(server->display);
        moveWithXdotool("mousemove 5 6");
        XInputPointerWatch::Start why = XInputPointerWatch::Start::noServer;
        watch = XInputPointerWatch::start(why);
        ASSERT_EQ(why, XInputPointerWatch::Start::watching);
        ASSERT_EQ(watch->read(), (CursorPosition{5, 6})) << "asked once at the start";
    }

    std::unique_ptr<PrivateXServer> server = std::make_unique<PrivateXServer>();
    testing_support::ScopedEnvironmentVariable display{"DISPLAY"};
    std::unique_ptr<XInputPointerWatch> watch;
};

// Over the root window the motion events carry the position. Over a window that takes motion
// itself only a device's raw motion comes (an absolute xdotool move makes none), and the watch
// asks; over our own windows Qt's events say that it moved. Runs of moves end where the last one
// went, however the kinds of news interleave.
TEST_F(PointerWatchTest, FollowsThePointerOverTheRootAndOverOtherWindows) {
    const ForeignWindow other(200, 200, 200);
    const struct {
        const char* moves;
        bool ourWindow;
        CursorPosition last;
    } cases[] = {
        {"mousemove 100 120", false, {100, 120}},
        {"mousemove 100 120 mousemove_relative 150 150", false, {250, 270}},
        {"mousemove_relative 5 5 mousemove 40 50", false, {40, 50}},
        {"mousemove 60 70 mousemove 350 360 mousemove_relative 1 1", false, {351, 361}},
        {"mousemove 320 330 mousemove 10 590 mousemove 399 201 mousemove 780 590",
         false,
         {780, 590}},
        {"mousemove 300 300", true, {300, 300}},
    };
    for (const auto& moved : cases) {
        moveWithXdotool(moved.moves);
        if (moved.ourWindow) {
            watch->movedOverOurWindow();
        }
        EXPECT_EQ(settlesAt(*watch, moved.last), moved.last) << moved.moves;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(watch->read(), moved.last) << moved.moves << ": no older news came after";
    }
}

TEST_F(PointerWatchTest, AStillPointerWakesNothing) {
    moveWithXdotool("mousemove 300 310");
    ASSERT_EQ(settlesAt(*watch, {300, 310}), (CursorPosition{300, 310}));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const uint64_t before = watch->wakeUps();
    EXPECT_GT(before, 0U);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_EQ(watch->wakeUps(), before);
}

// The server going away ends the thread; the last position stays and the end does not hang.
TEST_F(PointerWatchTest, OutlivesItsServer) {
    moveWithXdotool("mousemove 30 40");
    ASSERT_EQ(settlesAt(*watch, {30, 40}), (CursorPosition{30, 40}));
    server.reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(watch->read(), (CursorPosition{30, 40}));
    watch.reset();
}

// A server without XInput 2 is asked instead; without a server there is no pointer at all.
TEST_F(PointerWatchTest, TheAskedPointerServesWhereEventsCannot) {
    const auto asked = platform::connectDesktopPointer(platform::PointerFeed::questions);
    ASSERT_NE(asked, nullptr);
    EXPECT_EQ(dynamic_cast<XInputPointerWatch*>(asked.get()), nullptr);
    moveWithXdotool("mousemove 210 220");
    EXPECT_EQ(settlesAt(*asked, {210, 220}), (CursorPosition{210, 220}));
    EXPECT_NE(dynamic_cast<XInputPointerWatch*>(platform::connectDesktopPointer().get()), nullptr);

    display.set(":4077");
    XInputPointerWatch::Start why = XInputPointerWatch::Start::watching;
    EXPECT_EQ(XInputPointerWatch::start(why), nullptr);
    EXPECT_EQ(why, XInputPointerWatch::Start::noServer);
    EXPECT_EQ(platform::connectDesktopPointer(), nullptr);
    EXPECT_EQ(platform::connectDesktopPointer(platform::PointerFeed::questions), nullptr);
}

}  // namespace
