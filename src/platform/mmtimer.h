#pragma once
// The multimedia timer on one thread of its own that sleeps to absolute CLOCK_MONOTONIC
// deadlines. While a 1 ms period is held the thread's timer slack is 1 ns and it asks for
// real-time priority through a hook the program installs (the core knows no audio library); a
// refusal only costs punctuality.
//
// Threads: as TimerApi. The thread starts with the first event and ends with the object.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/mmtimer_api.h"

namespace platform {

// Called on the timer thread: true asks for real-time priority, false returns to normal.
// Returns whether the thread now has what was asked.
using PriorityHook = bool (*)(bool realtime);

class MultimediaTimer final : public TimerApi {
  public:
    MultimediaTimer() = default;
    ~MultimediaTimer() override;
    MultimediaTimer(const MultimediaTimer&) = delete;
    MultimediaTimer& operator=(const MultimediaTimer&) = delete;

    // The process's timer, which every engine shares.
    static MultimediaTimer& shared();
    // Any thread. Takes effect the next time the thread changes its priority.
    static void setPriorityHook(PriorityHook hook);

    uint32_t setEvent(uint32_t delayMs, uint32_t resolutionMs, TimeCallback callback,
                      uintptr_t user, uint32_t flags) override;
    mm::MmResult killEvent(uint32_t timerId) override;
    mm::MmResult beginPeriod(uint32_t periodMs) override;
    mm::MmResult endPeriod(uint32_t periodMs) override;

    // Any thread. Whether the thread last asked for real-time priority and got it.
    bool realtimeGranted() const { return realtime.load(); }
    // Any thread. Whether the thread runs with the 1 ms timer slack now.
    bool finePeriodApplied() const { return fineApplied.load(); }

  private:
    struct Event {
        uint32_t id;
        int64_t periodNs;
        bool periodic;
        TimeCallback callback;
        uintptr_t user;
        int64_t deadlineNs;  // CLOCK_MONOTONIC
    };

    void run();
    void applyPeriod(std::unique_lock<std::mutex>& lock);
    bool onTimerThread() const;

    std::mutex mutex;
    std::condition_variable wake;          // events or periods changed
    std::condition_variable callbackDone;  // `running` went back to 0
    std::vector<Event> events;
    std::map<uint32_t, int32_t> periodHolds;
    uint32_t lastId = 0;
    uint32_t running = 0;  // the event whose callback runs now
    bool quitting = false;
    std::thread thread;
    std::atomic<std::thread::id> timerThreadId{};
    std::atomic<bool> fineApplied{false};
    std::atomic<bool> realtime{false};
};

}  // namespace platform
