#include "platform/backends/xinput_pointer_watch.h"

#include <errno.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>
#include <xcb/xinput.h>

#include <cstdlib>

namespace platform {

namespace {

// The root window of the default screen; 0 when there is none.
uint32_t defaultRoot(xcb_connection_t* connection, int screenNumber) {
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    return screens.rem > 0 ? screens.data->root : 0;
}

bool hasXInput2(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* present = xcb_get_extension_data(connection, &xcb_input_id);
    if (present == nullptr || present->present == 0) {
        return false;
    }
    // 2.2 is what we know; the server answers with what it has, at most that.
    xcb_input_xi_query_version_reply_t* version = xcb_input_xi_query_version_reply(
        connection, xcb_input_xi_query_version(connection, 2, 2), nullptr);
    const bool two = version != nullptr && version->major_version >= 2;
    std::free(version);  // NOLINT(cppcoreguidelines-no-malloc): xcb allocates its replies
    return two;
}

// Raw motion of every master pointer and motion that reaches the root, selected and confirmed.
bool selectMotion(xcb_connection_t* connection, uint32_t root) {
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } motion{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
             XCB_INPUT_XI_EVENT_MASK_MOTION | XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    xcb_generic_error_t* error = xcb_request_check(
        connection, xcb_input_xi_select_events_checked(connection, root, 1, &motion.head));
    std::free(error);  // NOLINT(cppcoreguidelines-no-malloc)
    return error == nullptr;
}

int32_t wholePixels(xcb_input_fp1616_t fixed) {
    return fixed >> 16;  // NOLINT(hicpp-signed-bitwise): floors, as the server's own rounding
}

}  // namespace

std::unique_ptr<XInputPointerWatch> XInputPointerWatch::start(Start& why) {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    const uint32_t root =
        xcb_connection_has_error(connection) == 0 ? defaultRoot(connection, screenNumber) : 0;
    why = root == 0                         ? Start::noServer
          : !hasXInput2(connection)         ? Start::noXInput2
          : !selectMotion(connection, root) ? Start::noXInput2
                                            : Start::watching;
    const int wakeFd = why == Start::watching ? eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK) : -1;
    if (wakeFd < 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    // NOLINTNEXTLINE(cppcoreguidelines-owning-memory): the constructor is private
    return std::unique_ptr<XInputPointerWatch>(new XInputPointerWatch(connection, root, wakeFd));
}

XInputPointerWatch::XInputPointerWatch(xcb_connection_t* made, uint32_t rootWindow, int wake)
    : connection(made), root(rootWindow), wakeFd(wake) {
    // Selected before this question: a move after it is told, so none falls in between. The
    // events that came meanwhile wait in xcb's queue for the thread, which knows them as older.
    lastQuestion = xcb_query_pointer(connection, root).sequence;
    xcb_query_pointer_reply_t* now = xcb_query_pointer_reply(connection, {lastQuestion}, nullptr);
    publish(now != nullptr && now->same_screen != 0
                ? std::optional<CursorPosition>({now->root_x, now->root_y})
                : std::nullopt,
            lastQuestion, false);
    std::free(now);  // NOLINT(cppcoreguidelines-no-malloc)
    thread = std::thread([this] { watch(); });
}

XInputPointerWatch::~XInputPointerWatch() {
    stopping.store(true, std::memory_order_release);
    movedOverOurWindow();
    thread.join();
    ::close(wakeFd);
    xcb_disconnect(connection);
}

void XInputPointerWatch::movedOverOurWindow() {
    const uint64_t one = 1;
    (void)::write(wakeFd, &one, sizeof one);
}

void XInputPointerWatch::watch() {
    (void)pthread_setname_np(pthread_self(), "lirveto-pointer");
    pollfd watched[2] = {{xcb_get_file_descriptor(connection), POLLIN, 0}, {wakeFd, POLLIN, 0}};
    for (;;) {
        // Take everything xcb holds before sleeping: each call below may read the socket and
        // bring in what another is for, so sleep only after a round that found nothing. The
        // round's last reading call is the answer's; the events it brought in are taken by the
        // look at the queue after it, which reads nothing.
        bool busy = true;
        while (busy) {
            busy = false;
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
                take(event);
                busy = true;
            }
            busy = takeAnswer() || busy;
            while (xcb_generic_event_t* event = xcb_poll_for_queued_event(connection)) {
                take(event);
                busy = true;
            }
            if (moved && !asking) {
                ask();
                busy = true;
            }
        }
        if (xcb_connection_has_error(connection) != 0) {
            return;  // the server is gone: the last position stays
        }
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        woken.fetch_add(1, std::memory_order_relaxed);
        if (watched[1].revents != 0) {
            if (stopping.load(std::memory_order_acquire)) {
                return;
            }
            uint64_t asked = 0;
            (void)::read(wakeFd, &asked, sizeof asked);
            moved = true;
        }
    }
}

void XInputPointerWatch::take(void* told) {
    auto* event = static_cast<xcb_generic_event_t*>(told);
    if ((event->response_type & 0x7f) == XCB_GE_GENERIC) {
        const auto* motion = reinterpret_cast<const xcb_input_motion_event_t*>(event);
        const uint32_t sequence = motion->full_sequence;
        if (motion->event_type == XCB_INPUT_RAW_MOTION) {
            // A move the last question was asked after needs a question of its own.
            moved = moved || static_cast<int32_t>(sequence - lastQuestion) >= 0;
        } else if (motion->event_type == XCB_INPUT_MOTION && isNewer(sequence, true)) {
            publish(CursorPosition{wholePixels(motion->root_x), wholePixels(motion->root_y)},
                    sequence, true);
            moved = false;  // where the raw motion before it went
        }
    }
    std::free(event);  // NOLINT(cppcoreguidelines-no-malloc)
}

bool XInputPointerWatch::isNewer(uint32_t sequence, bool event) const {
    // An event carries the number of the last request the server had done when it happened: one
    // numbered as a question happened after the server answered it.
    const auto ahead = static_cast<int32_t>(sequence - publishedSequence);
    return ahead > 0 || (ahead == 0 && (event || !publishedByEvent));
}

void XInputPointerWatch::publish(std::optional<CursorPosition> at, uint32_t sequence, bool event) {
    if (at) {
        latest.publish(*at);
    } else {
        latest.forget();
    }
    publishedSequence = sequence;
    publishedByEvent = event;
}

bool XInputPointerWatch::takeAnswer() {
    if (!asking) {
        return false;
    }
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (xcb_poll_for_reply(connection, lastQuestion, &reply, &error) == 0) {
        return false;
    }
    asking = false;
    const auto* answer = static_cast<const xcb_query_pointer_reply_t*>(reply);
    // Without an answer the next motion asks again.
    if (answer != nullptr && isNewer(lastQuestion, false)) {
        publish(answer->same_screen != 0
                    ? std::optional<CursorPosition>({answer->root_x, answer->root_y})
                    : std::nullopt,
                lastQuestion, false);
    }
    std::free(reply);  // NOLINT(cppcoreguidelines-no-malloc)
    std::free(error);  // NOLINT(cppcoreguidelines-no-malloc)
    return true;
}

void XInputPointerWatch::ask() {
    moved = false;
    lastQuestion = xcb_query_pointer(connection, root).sequence;
    xcb_flush(connection);
    asking = true;
}

}  // namespace platform
