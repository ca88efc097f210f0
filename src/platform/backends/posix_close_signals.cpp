#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <initializer_list>

#include "platform/close_signals.h"

namespace platform {

namespace {

int closeSignalPair[2] = {-1, -1};

void onCloseSignal(int /*number*/) {
    const int savedErrno = errno;
    const char byte = 1;
    // Non-blocking: a flood of signals fills the pair and drops bytes instead of hanging here.
    [[maybe_unused]] const ssize_t ignored = ::write(closeSignalPair[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

int installCloseSignals() {
    if (closeSignalPair[0] >= 0) {
        return closeSignalPair[0];
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, closeSignalPair) !=
        0) {
        closeSignalPair[0] = closeSignalPair[1] = -1;
        return -1;
    }
    struct sigaction action {};
    action.sa_handler = onCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(number, &action, nullptr);
    }
    return closeSignalPair[0];
}

void acknowledgeCloseSignal(int descriptor) {
    char bytes[64];
    while (::read(descriptor, bytes, sizeof bytes) > 0) {
    }
}

}  // namespace platform
