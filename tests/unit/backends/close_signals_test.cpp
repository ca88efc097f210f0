// The close signals reach the event loop through a descriptor that started programs never inherit.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <string>

#include "platform/close_signals.h"

namespace {

// Descriptors of this process that a program it starts would inherit.
std::set<int> inheritableDescriptors() {
    std::set<int> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        const int descriptor = std::stoi(entry.path().filename().string());
        const int flags = ::fcntl(descriptor, F_GETFD);
        if (flags >= 0 && (flags & FD_CLOEXEC) == 0) {
            found.insert(descriptor);
        }
    }
    return found;
}

bool readable(int descriptor, int waitMs) {
    pollfd watch{descriptor, POLLIN, 0};
    return ::poll(&watch, 1, waitMs) == 1 && (watch.revents & POLLIN) != 0;
}

TEST(CloseSignals, TheSignalPairIsCloseOnExecAndEachSignalMakesItReadableUntilAcknowledged) {
    const std::set<int> before = inheritableDescriptors();
    const int descriptor = platform::installCloseSignals();
    ASSERT_GE(descriptor, 0);
    EXPECT_EQ(inheritableDescriptors(), before);
    EXPECT_FALSE(readable(descriptor, 0));

    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        ASSERT_EQ(std::raise(number), 0);
        EXPECT_TRUE(readable(descriptor, 1000)) << "signal " << number;
        platform::acknowledgeCloseSignal(descriptor);
        EXPECT_FALSE(readable(descriptor, 0)) << "signal " << number;
    }
    EXPECT_EQ(platform::installCloseSignals(), descriptor) << "a second install makes no new pair";
}

}  // namespace
