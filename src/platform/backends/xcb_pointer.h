#pragma once
// The X server's pointer, asked for through a connection of our own so that any thread may ask
// without going near the GUI thread's connection or its event loop: what a server without
// XInput 2 allows (XInputPointerWatch is told of the moves instead).
//
// Threads: construct and destroy on one thread; query and read from any thread (xcb serialises
// the requests on the connection; a lock guards the question a chain of reads has asked).

#include <cstdint>
#include <mutex>
#include <optional>

#include "platform/backends/desktop_pointer.h"

struct xcb_connection_t;

namespace platform {

class XcbPointer final : public DesktopPointer {
  public:
    // Reads closer together than this are one caller's chain: the DirectSound page's 1 ms steps
    // and the MIDI page's 5 ms tick, late ones included; the Wave page's refills are not.
    static constexpr int64_t kChainNs = 8'000'000;
    // Within a chain, one answer of the server serves the reads of this long. A mouse reports
    // every 8 ms (125 Hz) or so, so most 1 ms reads would be told the same, and each question
    // and answer cost the step's thread more than the rest of its step; the stream's lead ahead
    // of the device (10 to 20 ms) keeps what is heard behind the pointer anyway.
    static constexpr int64_t kReuseNs = 3'000'000;

    // Connects to the display named by DISPLAY; without one the pointer is simply not there.
    XcbPointer();
    ~XcbPointer() override;
    XcbPointer(const XcbPointer&) = delete;
    XcbPointer& operator=(const XcbPointer&) = delete;

    bool isConnected() const { return connection != nullptr; }

    // The pointer on the default screen's root window, in device pixels of the whole desktop
    // (AnyThreadCursorSource places it on the primary screen); nothing when the server does not
    // answer (gone, or the pointer is on another X screen). Asks and waits for the answer.
    std::optional<platform::CursorPosition> query() const;

    // As query, but a chain of reads (kChainNs apart at most) seldom asks the server and never
    // waits for it: a read that asks takes the answer to the question the read before it asked,
    // which has come back meanwhile, and asks the next as it leaves; the reads in between, for
    // kReuseNs, are given that same answer. The DirectSound steps see the pointer at most two
    // reuse spans late (6 ms), the MIDI tick one tick late (5 ms); both spare their thread the
    // sleep and wake-up of a round trip, which costs it as much as its own wake-up. A read after
    // a pause gets query's fresh answer.
    std::optional<platform::CursorPosition> read() override;
    // As read, at the monotonic time `nowNs` (tests set the pace themselves).
    std::optional<platform::CursorPosition> read(int64_t nowNs);

  private:
    std::optional<platform::CursorPosition> takeAnswer(unsigned int sequence);

    xcb_connection_t* connection = nullptr;
    uint32_t root = 0;

    std::mutex chainGuard;
    bool asked = false;  // a question is on its way, asked at askedNs
    unsigned int askedSequence = 0;
    int64_t askedNs = 0;
    int64_t lastReadNs = 0;
    std::optional<platform::CursorPosition> lastAnswer;  // given at lastAnswerNs
    int64_t lastAnswerNs = 0;
};

}  // namespace platform
