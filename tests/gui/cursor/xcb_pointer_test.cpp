#include "platform/backends/xcb_pointer.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <memory>
#include <thread>

#include "support/private_x_server.h"
#include "support/scoped_environment_variable.h"

namespace {

using testing_support::PrivateXServer;

// A private X server named by DISPLAY, and a pointer connected to it.
class XcbPointerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(server.display.empty()) << "Xvfb did not start";
        display.set(server.display);
        connected = std::make_unique<platform::XcbPointer>();
        ASSERT_TRUE(connected->isConnected());
    }

    PrivateXServer server;
    testing_support::ScopedEnvironmentVariable display{"DISPLAY"};
    std::unique_ptr<platform::XcbPointer> connected;
};

TEST_F(XcbPointerTest, ReadsTheX11PointerFromAnyThread) {
    platform::XcbPointer& pointer = *connected;
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

// The DirectSound step reads every millisecond: it must neither wait for the server nor ask it
// each time. In a chain one answer serves the reads of a reuse span, and the read that asks again
// takes the answer to the question asked a span before: a move shows at most two spans late.
// A read after a pause asks afresh.
TEST_F(XcbPointerTest, AChainOfReadsSeesAMoveWithinTwoReuseSpansAndSparserReadsSeeItAtOnce) {
    platform::XcbPointer& pointer = *connected;
    PointerMover mover;
    constexpr int64_t ms = 1'000'000;
    constexpr int64_t span = platform::XcbPointer::kReuseNs / ms;
    static_assert(platform::XcbPointer::kReuseNs % ms == 0);

    const platform::CursorPosition before{10, 20};
    const platform::CursorPosition after{300, 400};
    mover.moveTo(before);
    int64_t t = 1000 * ms;
    ASSERT_EQ(pointer.read(t), before);  // after a pause: asked afresh
    mover.moveTo(after);
    for (int64_t step = 1; step < span; ++step) {
        EXPECT_EQ(pointer.read(t + step * ms), before) << "within the span the server is not asked";
    }
    t += span * ms;
    // The span's first answer came without a question asked ahead: this read asks and waits.
    EXPECT_EQ(pointer.read(t), after);

    mover.moveTo(before);
    std::optional<platform::CursorPosition> seen;
    for (int64_t step = 1; step <= 2 * span; ++step) {
        seen = pointer.read(t + step * ms);
        ASSERT_TRUE(seen == before || seen == after);
    }
    EXPECT_EQ(seen, before) << "two spans on, the chain still sees the old place";

    // The MIDI page's tick, 5 ms apart, after a pause: the first read asks afresh, then each
    // takes the answer to the question the tick before asked, so a move shows a tick late at most.
    t += 100 * ms;
    mover.moveTo(before);
    ASSERT_EQ(pointer.read(t), before);
    platform::CursorPosition known = before;
    for (int32_t tick = 1; tick <= 3; ++tick) {
        const platform::CursorPosition at{50 * tick, 60 * tick};
        mover.moveTo(at);
        t += 5 * ms;
        const auto first = pointer.read(t);
        EXPECT_TRUE(first == known || first == at);
        t += 5 * ms;
        EXPECT_EQ(pointer.read(t), at) << "never more than a tick late";
        known = at;
    }
    EXPECT_EQ(pointer.query(), (platform::CursorPosition{150, 180}));
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
