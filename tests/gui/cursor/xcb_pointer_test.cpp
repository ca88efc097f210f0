#include "platform/backends/xcb_pointer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <future>
#include <string>

#include "support/scoped_environment_variable.h"

namespace {

// An X server of the test's own, on the display number it picks itself.
class PrivateXServer {
  public:
    PrivateXServer() {
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) {
            return;
        }
        pid = ::fork();
        if (pid == 0) {
            ::dup2(pipeFds[1], 3);
            ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "800x600x24", "-nolisten",
                     "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        char text[16] = {};
        const ssize_t got = ::read(pipeFds[0], text, sizeof text - 1);
        ::close(pipeFds[0]);
        if (got > 0) {
            display = ":" + std::to_string(std::atoi(text));
        }
    }
    ~PrivateXServer() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
    std::string display;

  private:
    pid_t pid = -1;
};

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
