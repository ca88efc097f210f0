#include "platform/mmtimer_manual.h"

#include <algorithm>

namespace platform {

uint32_t ManualTimer::setEvent(uint32_t delayMs, uint32_t /*resolutionMs*/, TimeCallback callback,
                               uintptr_t user, uint32_t flags) {
    if (callback == nullptr || delayMs < mm::kShortestDelayMs || delayMs > mm::kLongestDelayMs) {
        return 0;
    }
    events.push_back(
        {++lastId, delayMs, (flags & mm::TIME_PERIODIC) != 0, callback, user, clockMs + delayMs});
    return lastId;
}

mm::MmResult ManualTimer::killEvent(uint32_t timerId) {
    const auto found = std::find_if(events.begin(), events.end(),
                                    [timerId](const Event& event) { return event.id == timerId; });
    if (found == events.end()) {
        return mm::MMSYSERR_INVALPARAM;
    }
    events.erase(found);
    return mm::TIMERR_NOERROR;
}

mm::MmResult ManualTimer::beginPeriod(uint32_t periodMs) {
    if (periodMs == 0) {
        return mm::TIMERR_NOCANDO;
    }
    ++holds;
    return mm::TIMERR_NOERROR;
}

mm::MmResult ManualTimer::endPeriod(uint32_t periodMs) {
    if (periodMs == 0 || holds == 0) {
        return mm::TIMERR_NOCANDO;
    }
    --holds;
    return mm::TIMERR_NOERROR;
}

void ManualTimer::advanceTo(int64_t timeMs) {
    for (;;) {
        // Ids grow with each setEvent, so the lowest id breaks a tie in the order events were set.
        const auto due =
            std::min_element(events.begin(), events.end(), [](const Event& a, const Event& b) {
                return a.deadlineMs != b.deadlineMs ? a.deadlineMs < b.deadlineMs : a.id < b.id;
            });
        if (due == events.end() || due->deadlineMs > timeMs) {
            break;
        }
        const Event fired = *due;
        clockMs = fired.deadlineMs;
        if (fired.periodic) {
            due->deadlineMs += fired.delayMs;
        } else {
            events.erase(due);
        }
        fired.callback(fired.id, fired.user);
    }
    clockMs = std::max(clockMs, timeMs);
}

}  // namespace platform
