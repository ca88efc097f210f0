#pragma once
// The timer functions on a clock that moves only when told: lirveto-render and the tests run the
// timer-driven engines with it, so that every step falls at an exact millisecond.
//
// Threads: one thread at a time; callbacks run inside advanceTo on the caller's thread.

#include <cstdint>
#include <vector>

#include "platform/mmtimer_api.h"

namespace platform {

class ManualTimer final : public TimerApi {
  public:
    uint32_t setEvent(uint32_t delayMs, uint32_t resolutionMs, TimeCallback callback,
                      uintptr_t user, uint32_t flags) override;
    mm::MmResult killEvent(uint32_t timerId) override;
    mm::MmResult beginPeriod(uint32_t periodMs) override;
    mm::MmResult endPeriod(uint32_t periodMs) override;

    // Runs every callback that falls due up to and including `timeMs`, in time order (events due
    // together in the order they were set), with the clock at each one's deadline.
    void advanceTo(int64_t timeMs);

    int64_t nowMs() const { return clockMs; }
    int32_t periodsHeld() const { return holds; }
    bool hasEvents() const { return !events.empty(); }

  private:
    struct Event {
        uint32_t id;
        uint32_t delayMs;
        bool periodic;
        TimeCallback callback;
        uintptr_t user;
        int64_t deadlineMs;
    };

    std::vector<Event> events;
    uint32_t lastId = 0;
    int64_t clockMs = 0;
    int32_t holds = 0;
};

}  // namespace platform
