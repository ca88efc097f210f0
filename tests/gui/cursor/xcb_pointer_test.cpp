#include "platform/backends/xcb_pointer.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include "support/private_x_server.h"
#include "support/scoped_environment_variable.h"

namespace {

using testing_support::PrivateXServer;

TEST(XcbPointer, ReadsTheX11PointerFromAnyThread) {
    PrivateXServer server;
    ASSERT_FALSE(server.display.empty()) << "Xvfb did not start";
    testing_support::ScopedEnvironmentVariable display("DISPLAY");
    display.set(server.display);

    platform::XcbPointer pointer;
    ASSERT_TRUE(pointer.isConnected());
    ASSERT_EQ(std::system("xdotool mousemove 123 456"), 0);
    const auto seen = std::async(std::launch::async, [&pointer] { return pointer.query(); }).get();
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(*seen, (platform::CursorPosition{123, 456}));
}

// Moves the server's pointer at once (xdotool takes longer than a chain of reads allows).
class PointerMover {
  public:
    PointerMover() : connection(xcb_connect(nullptr, nullptr)) {
        root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    }
    ~PointerMover() { xcb_disconnect(connection); }
    PointerMover(const PointerMover&) = delete;
    PointerMover& operator=(const PointerMover&) = delete;
    void moveTo(platform::CursorPosition at) {
        xcb_warp_pointer(connection, XCB_NONE, root, 0, 0, 0, 0, static_cast<int16_t>(at.x),
                         static_cast<int16_t>(at.y));
        // A round trip: the move is done when the answer comes.
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }

  private:
    xcb_connection_t* connection;
    xcb_window_t root = 0;
};

// The DirectSound step reads every millisecond: it must not wait for the server each time. Reads
// in a chain take the answer to the question the read before asked, so a move shows one read
// late, never two; a read after a pause asks afresh.
TEST(XcbPointer, AChainOfReadsSeesAMoveOneReadLateAndAReadAfterAPauseSeesItAtOnce) {
    PrivateXServer server;
    ASSERT_FALSE(server.display.empty()) << "Xvfb did not start";
    testing_support::ScopedEnvironmentVariable display("DISPLAY");
    display.set(server.display);
    platform::XcbPointer pointer;
    ASSERT_TRUE(pointer.isConnected());
    PointerMover mover;

    // A busy machine may hold a read up past the chain's span: then it asks afresh and sees the
    // move at once. One attempt in five in time is enough to see the chain at work.
    bool sawItLate = false;
    for (int32_t attempt = 0; attempt < 5; ++attempt) {
        const platform::CursorPosition before{10, 20 + attempt};
        const platform::CursorPosition after{300, 400 + attempt};
        mover.moveTo(before);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));  // a pause: a fresh start
        ASSERT_EQ(pointer.read(), before);
        ASSERT_EQ(pointer.read(), before);  // in the chain: asks the next question as it leaves
        mover.moveTo(after);
        const auto first = pointer.read();
        const auto second = pointer.read();
        ASSERT_TRUE(first == before || first == after);
        EXPECT_EQ(second, after) << "never more than one read late";
        sawItLate = sawItLate || first == before;

        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        mover.moveTo(before);
        EXPECT_EQ(pointer.read(), before) << "after a pause: asked afresh";
    }
    EXPECT_TRUE(sawItLate) << "every read of the chain waited for a fresh answer";
    EXPECT_EQ(pointer.query(), (platform::CursorPosition{10, 24}));
}

TEST(XcbPointer, WithoutAnXServerThereIsNoPointerAndNoCrash) {
    testing_support::ScopedEnvironmentVariable display("DISPLAY");
    display.set(":4077");
    platform::XcbPointer pointer;
    EXPECT_FALSE(pointer.isConnected());
    EXPECT_FALSE(pointer.query().has_value());
    EXPECT_FALSE(pointer.read().has_value());
}

}  // namespace
