#pragma once
// The X server's pointer, read through a connection of our own so that any thread may ask
// without going near the GUI thread's connection or its event loop.
//
// Threads: construct and destroy on one thread; query and read from any thread (xcb serialises
// the requests on the connection; a lock guards the question a chain of reads has asked).

#include <cstdint>
#include <mutex>
#include <optional>

#include "platform/cursor_source.h"

struct xcb_connection_t;

namespace platform {

class XcbPointer {
  public:
    // Reads closer together than this are one caller's chain (the DirectSound page's 1 ms steps,
    // late ones included); the MIDI page's 5 ms tick and the Wave page's refills are not.
    static constexpr int64_t kChainNs = 3'000'000;

    // Connects to the display named by DISPLAY; without one the pointer is simply not there.
    XcbPointer();
    ~XcbPointer();
    XcbPointer(const XcbPointer&) = delete;
    XcbPointer& operator=(const XcbPointer&) = delete;

    bool isConnected() const { return connection != nullptr; }

    // The pointer on the default screen's root window, in device pixels of the whole desktop
    // (AnyThreadCursorSource places it on the primary screen); nothing when the server does not
    // answer (gone, or the pointer is on another X screen). Asks and waits for the answer.
    std::optional<platform::CursorPosition> query() const;

    // As query, but a chain of reads (kChainNs apart at most) never waits for the server: each
    // read asks the next question as it leaves and takes the answer to the one asked at the
    // read before, which has come back meanwhile. A chain sees the pointer one read late (a
    // millisecond for the DirectSound step) and spares its thread the sleep and wake-up of a
    // round trip every step. A read after a pause gets query's fresh answer.
    std::optional<platform::CursorPosition> read();

  private:
    std::optional<platform::CursorPosition> takeAnswer(unsigned int sequence);

    xcb_connection_t* connection = nullptr;
    uint32_t root = 0;

    std::mutex chainGuard;
    bool asked = false;  // a question is on its way, asked at askedNs
    unsigned int askedSequence = 0;
    int64_t askedNs = 0;
    int64_t lastReadNs = 0;
};

}  // namespace platform
