#include "platform/backends/xcb_pointer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <future>

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

TEST(XcbPointer, WithoutAnXServerThereIsNoPointerAndNoCrash) {
    testing_support::ScopedEnvironmentVariable display("DISPLAY");
    display.set(":4077");
    platform::XcbPointer pointer;
    EXPECT_FALSE(pointer.isConnected());
    EXPECT_FALSE(pointer.query().has_value());
}

}  // namespace
