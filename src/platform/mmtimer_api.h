#pragma once
// The multimedia timer functions the timer-driven engines run on: one-shot and periodic events
// with millisecond delays, and the timer period an engine holds while it plays.
//
// Threads: every operation may be called from any thread, including from inside a callback.
// Callbacks run one at a time on the timer's thread (the "timer" thread of the engines).

#include <cstdint>

#include "platform/mm_result.h"

namespace platform {

namespace mm {
constexpr MmResult TIMERR_NOERROR = 0;
constexpr MmResult TIMERR_NOCANDO = 97;

// setEvent flags.
constexpr uint32_t TIME_ONESHOT = 0x0000;
constexpr uint32_t TIME_PERIODIC = 0x0001;

// The delays setEvent accepts, in milliseconds.
constexpr uint32_t kShortestDelayMs = 1;
constexpr uint32_t kLongestDelayMs = 1000000;
}  // namespace mm

// Timer thread. `user` is the value given to setEvent.
using TimeCallback = void (*)(uint32_t timerId, uintptr_t user);

class TimerApi {
  public:
    virtual ~TimerApi() = default;

    // Calls `callback` after `delayMs`, once or (TIME_PERIODIC) every `delayMs` from then on.
    // Returns the event's id, never 0; 0 when the delay or callback is refused. The resolution
    // is accepted for the shape of the call and not used: deadlines are as exact as the
    // system gives.
    virtual uint32_t setEvent(uint32_t delayMs, uint32_t resolutionMs, TimeCallback callback,
                              uintptr_t user, uint32_t flags) = 0;

    // Ends the event. On return no callback of it is running (unless this is called from inside
    // that very callback) and none starts afterwards. MMSYSERR_INVALPARAM for an unknown id,
    // among them a one-shot event that has already run.
    virtual mm::MmResult killEvent(uint32_t timerId) = 0;

    // A period of 1 ms, while held, makes the timer as punctual as the system allows. Every
    // begin is matched by an end with the same value. TIMERR_NOCANDO for 0 or an unmatched end.
    virtual mm::MmResult beginPeriod(uint32_t periodMs) = 0;
    virtual mm::MmResult endPeriod(uint32_t periodMs) = 0;
};

}  // namespace platform
