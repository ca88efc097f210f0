#include "platform/backends/xcb_pointer.h"

#include <time.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <cstdlib>

namespace platform {

namespace {

int64_t monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

// The position in a reply, which is then freed.
std::optional<platform::CursorPosition> positionOf(xcb_query_pointer_reply_t* reply) {
    if (reply == nullptr) {
        return std::nullopt;
    }
    const bool onThisScreen = reply->same_screen != 0;
    const platform::CursorPosition at{reply->root_x, reply->root_y};
    std::free(reply);
    if (!onThisScreen) {
        return std::nullopt;
    }
    return at;
}

}  // namespace

XcbPointer::XcbPointer() {
    int screenNumber = 0;
    xcb_connection_t* made = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(made) != 0) {
        xcb_disconnect(made);
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(made));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem == 0) {
        xcb_disconnect(made);
        return;
    }
    root = screens.data->root;
    connection = made;
}

XcbPointer::~XcbPointer() {
    if (connection != nullptr) {
        xcb_disconnect(connection);
    }
}

std::optional<platform::CursorPosition> XcbPointer::query() const {
    if (connection == nullptr) {
        return std::nullopt;
    }
    return positionOf(
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr));
}

std::optional<platform::CursorPosition> XcbPointer::read() {
    return read(monotonicNs());
}

std::optional<platform::CursorPosition> XcbPointer::read(int64_t now) {
    if (connection == nullptr) {
        return std::nullopt;
    }
    const std::lock_guard hold(chainGuard);
    const bool chained = lastReadNs != 0 && now - lastReadNs <= kChainNs;
    lastReadNs = now;
    if (chained && lastAnswerNs != 0 && now - lastAnswerNs < kReuseNs) {
        return lastAnswer;
    }
    std::optional<platform::CursorPosition> answer;
    bool answered = false;
    if (asked) {
        asked = false;
        if (now - askedNs <= kChainNs + kReuseNs) {
            answer = takeAnswer(askedSequence);
            answered = true;
        } else {
            xcb_discard_reply(connection, askedSequence);  // too old to tell where it is now
        }
    }
    if (!answered) {
        answer = query();
    }
    if (chained && xcb_connection_has_error(connection) == 0) {
        askedSequence = xcb_query_pointer(connection, root).sequence;
        xcb_flush(connection);
        askedNs = now;
        asked = true;
    }
    lastAnswer = answer;
    lastAnswerNs = now;
    return answer;
}

std::optional<platform::CursorPosition> XcbPointer::takeAnswer(unsigned int sequence) {
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    // Asked a read ago, the answer is normally back; a busy server is waited for.
    if (xcb_poll_for_reply(connection, sequence, &reply, &error) == 0) {
        reply = xcb_wait_for_reply(connection, sequence, &error);
    }
    std::free(error);
    return positionOf(static_cast<xcb_query_pointer_reply_t*>(reply));
}

}  // namespace platform
