// Starts a program and tells how long it took to map its first top-level window with the given
// title, as the X server saw it: the probe listens on the root window before the program starts,
// so it sleeps until the map instead of polling (polling takes a core of a small machine from the
// program it times). Prints "MILLISECONDS PID" and leaves the program running; without a window
// in time it ends the program and exits 1. Usage: window_probe TITLE TIMEOUT_MS PROGRAM [ARGS...]

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string windowTitle(xcb_connection_t* connection, xcb_window_t window) {
    // Qt sets _NET_WM_NAME (UTF-8) and WM_NAME alike; WM_NAME is enough for a plain title.
    const xcb_get_property_cookie_t cookie = xcb_get_property(
        connection, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (reply == nullptr) {
        return {};
    }
    const std::string title(static_cast<const char*>(xcb_get_property_value(reply)),
                            static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    std::free(reply);
    return title;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: window_probe TITLE TIMEOUT_MS PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    const std::string wanted = argv[1];
    const auto timeout = std::chrono::milliseconds(std::atoi(argv[2]));
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "window_probe: no X server\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t listening =
        xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &mask);
    if (xcb_generic_error_t* error = xcb_request_check(connection, listening)) {
        std::free(error);
        std::fprintf(stderr, "window_probe: cannot listen on the root window\n");
        return 2;
    }

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(xcb_get_file_descriptor(connection));
        // The program's output would keep the caller's pipe open for as long as it runs.
        const int nowhere = open("/dev/null", O_WRONLY);
        (void)dup2(nowhere, STDOUT_FILENO);
        (void)dup2(nowhere, STDERR_FILENO);
        execvp(argv[3], argv + 3);
        _exit(127);
    }
    if (child < 0) {
        std::fprintf(stderr, "window_probe: fork failed\n");
        return 2;
    }

    pollfd watched{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (true) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
            const xcb_window_t window =
                mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
            std::free(event);
            if (mapped && windowTitle(connection, window) == wanted) {
                const auto shown = std::chrono::steady_clock::now() - start;
                std::printf("%.1f %d\n", std::chrono::duration<double, std::milli>(shown).count(),
                            static_cast<int>(child));
                return 0;
            }
        }
        const auto left = timeout - (std::chrono::steady_clock::now() - start);
        const auto leftMs = std::chrono::duration_cast<std::chrono::milliseconds>(left).count();
        if (leftMs <= 0 || waitpid(child, nullptr, WNOHANG) == child ||
            xcb_connection_has_error(connection) != 0) {
            break;
        }
        (void)poll(&watched, 1, static_cast<int>(leftMs));
    }
    std::fprintf(stderr, "window_probe: no window titled %s\n", wanted.c_str());
    if (waitpid(child, nullptr, WNOHANG) == 0) {
        kill(child, SIGTERM);  // nobody else knows it is there
        waitpid(child, nullptr, 0);
    }
    return 1;
}
