#pragma once
// The X server's pointer as it moves: a thread of our own, on a connection of our own, is told of
// every motion of every master pointer through XInput 2 and publishes the newest position, so a
// read is one atomic load. While the pointer is still the thread sleeps and nothing wakes it.
//
// The events: motion events reach the root window with the position while the pointer is over
// the root or a window that takes no motion itself, warps included; a window that takes motion
// keeps them to itself. Raw motion reaches the root whatever window the pointer is over, but has
// no position: the thread then asks where the pointer is, one question in flight at a time. A
// device makes raw motion; a move injected in screen coordinates (XTest, as xdotool's mousemove
// and some remote desktops do) makes none, so such a move over another program's window is seen
// when the pointer comes out of it. Over our own windows Qt's events say that it moved, and the
// thread asks (movedOverOurWindow()).
//
// Thread: start and destroy on one thread; read from any thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "platform/backends/desktop_pointer.h"
#include "platform/latest_position.h"

struct xcb_connection_t;

namespace platform {

class XInputPointerWatch final : public DesktopPointer {
  public:
    enum class Start { watching, noServer, noXInput2 };

    // Connects to the display named by DISPLAY and starts watching; nothing, and `why`, when
    // there is no server or it has no XInput 2.
    static std::unique_ptr<XInputPointerWatch> start(Start& why);
    // Wakes the thread and waits for it to end.
    ~XInputPointerWatch() override;
    XInputPointerWatch(const XInputPointerWatch&) = delete;
    XInputPointerWatch& operator=(const XInputPointerWatch&) = delete;

    // Any thread: no system call.
    std::optional<CursorPosition> read() override { return latest.read(); }
    // Any thread: wakes the thread to ask where the pointer is.
    void movedOverOurWindow() override;

    // Any thread: how many times the thread has woken since it started (tests).
    uint64_t wakeUps() const { return woken.load(std::memory_order_relaxed); }

  private:
    XInputPointerWatch(xcb_connection_t* connection, uint32_t root, int wakeFd);
    void watch();
    void take(void* event);  // an xcb event, freed
    bool takeAnswer();
    void ask();
    // Whether a position the server gave at request number `sequence`, in an event or an
    // answer, is newer than the one published. xcb hands answers and events over apart.
    bool isNewer(uint32_t sequence, bool event) const;
    void publish(std::optional<CursorPosition> at, uint32_t sequence, bool event);

    xcb_connection_t* connection;
    uint32_t root;
    int wakeFd;  // an eventfd: written to ask, or with stopping set to end the thread
    std::atomic<bool> stopping{false};
    LatestPosition latest;
    std::atomic<uint64_t> woken{0};
    // The thread's own (the constructor's until the thread starts).
    bool moved = false;         // raw motion came after the last question was asked
    bool asking = false;        // lastQuestion is not answered yet
    uint32_t lastQuestion = 0;  // where is the pointer: its request number
    uint32_t publishedSequence = 0;
    bool publishedByEvent = false;
    std::thread thread;
};

}  // namespace platform
