#include "platform/mmtimer.h"

#include <pthread.h>
#include <sys/prctl.h>
#include <time.h>

#include <algorithm>
#include <chrono>

namespace platform {

namespace {

constexpr int64_t kNsPerMs = 1000000;

std::atomic<PriorityHook> priorityHook{nullptr};

int64_t monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

// The standard library's steady clock is CLOCK_MONOTONIC on Linux.
std::chrono::steady_clock::time_point steadyAt(int64_t monotonic) {
    return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(monotonic));
}

}  // namespace

MultimediaTimer::~MultimediaTimer() {
    {
        std::lock_guard lock(mutex);
        quitting = true;
    }
    wake.notify_all();
    if (thread.joinable()) {
        thread.join();
    }
}

MultimediaTimer& MultimediaTimer::shared() {
    static MultimediaTimer timer;
    return timer;
}

void MultimediaTimer::setPriorityHook(PriorityHook hook) {
    priorityHook.store(hook);
}

uint32_t MultimediaTimer::setEvent(uint32_t delayMs, uint32_t /*resolutionMs*/,
                                   TimeCallback callback, uintptr_t user, uint32_t flags) {
    if (callback == nullptr || delayMs < mm::kShortestDelayMs || delayMs > mm::kLongestDelayMs) {
        return 0;
    }
    const int64_t period = int64_t{delayMs} * kNsPerMs;
    std::lock_guard lock(mutex);
    if (quitting) {
        return 0;
    }
    do {
        ++lastId;
    } while (lastId == 0 || lastId == running ||
             std::any_of(events.begin(), events.end(),
                         [this](const Event& event) { return event.id == lastId; }));
    events.push_back(
        {lastId, period, (flags & mm::TIME_PERIODIC) != 0, callback, user, monotonicNs() + period});
    if (!thread.joinable()) {
        thread = std::thread([this] { run(); });
    }
    wake.notify_all();
    return lastId;
}

mm::MmResult MultimediaTimer::killEvent(uint32_t timerId) {
    std::unique_lock lock(mutex);
    const auto found = std::find_if(events.begin(), events.end(),
                                    [timerId](const Event& event) { return event.id == timerId; });
    const bool known = found != events.end() || (timerId != 0 && running == timerId);
    if (found != events.end()) {
        events.erase(found);
    }
    if (!onTimerThread()) {
        callbackDone.wait(lock, [this, timerId] { return running != timerId; });
    }
    return known ? mm::TIMERR_NOERROR : mm::MMSYSERR_INVALPARAM;
}

mm::MmResult MultimediaTimer::beginPeriod(uint32_t periodMs) {
    if (periodMs == 0) {
        return mm::TIMERR_NOCANDO;
    }
    std::lock_guard lock(mutex);
    ++periodHolds[periodMs];
    wake.notify_all();
    return mm::TIMERR_NOERROR;
}

mm::MmResult MultimediaTimer::endPeriod(uint32_t periodMs) {
    std::lock_guard lock(mutex);
    const auto held = periodHolds.find(periodMs);
    if (held == periodHolds.end()) {
        return mm::TIMERR_NOCANDO;
    }
    if (--held->second == 0) {
        periodHolds.erase(held);
    }
    wake.notify_all();
    return mm::TIMERR_NOERROR;
}

bool MultimediaTimer::onTimerThread() const {
    return timerThreadId.load() == std::this_thread::get_id();
}

// Timer slack and priority belong to the thread itself, so only the timer thread changes them.
// The lock is let go meanwhile (the hook may ask another process), so the holds are looked at
// again until they stand still.
void MultimediaTimer::applyPeriod(std::unique_lock<std::mutex>& lock) {
    for (;;) {
        const bool fine = periodHolds.find(1) != periodHolds.end();
        if (fine == fineApplied.load()) {
            return;
        }
        fineApplied.store(fine);
        lock.unlock();
        // 0 restores the thread's default slack.
        prctl(PR_SET_TIMERSLACK, fine ? 1UL : 0UL, 0UL, 0UL, 0UL);
        const PriorityHook hook = priorityHook.load();
        const bool granted = hook != nullptr && hook(fine);
        realtime.store(fine && granted);
        lock.lock();
    }
}

void MultimediaTimer::run() {
    timerThreadId.store(std::this_thread::get_id());
    // Named, so that per-thread tools (top -H, perf, make bench) tell it from the GUI thread.
    (void)pthread_setname_np(pthread_self(), "lirveto-timer");
    std::unique_lock lock(mutex);
    while (!quitting) {
        applyPeriod(lock);
        if (quitting) {
            break;  // asked while applyPeriod let go of the lock: that wake-up came and went
        }
        if (events.empty()) {
            wake.wait(lock);
            continue;
        }
        const auto earliest = std::min_element(
            events.begin(), events.end(),
            [](const Event& a, const Event& b) { return a.deadlineNs < b.deadlineNs; });
        const int64_t deadline = earliest->deadlineNs;
        const int64_t now = monotonicNs();
        if (deadline > now) {
            // One wait to the deadline itself: the wait's absolute monotonic timeout is as fine as
            // a sleep's (the thread's timer slack bounds both), and a new or earlier event, or a
            // kill, wakes it. Waking twice (a wait, then a final sleep) cost a tick twice over.
            wake.wait_until(lock, steadyAt(deadline));
            continue;  // the event may have been killed meanwhile
        }
        const Event due = *earliest;
        if (due.periodic) {
            // Keep the phase; ticks missed by a stall are skipped, not caught up in a burst.
            int64_t next = deadline + due.periodNs;
            if (next <= now) {
                next += ((now - next) / due.periodNs + 1) * due.periodNs;
            }
            earliest->deadlineNs = next;
        } else {
            events.erase(earliest);
        }
        running = due.id;
        lock.unlock();
        due.callback(due.id, due.user);
        lock.lock();
        running = 0;
        callbackDone.notify_all();
    }
}

}  // namespace platform
