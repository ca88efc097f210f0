#include "platform/mmtimer.h"

#include <gtest/gtest.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::MultimediaTimer;
namespace mm = platform::mm;
using namespace std::chrono_literals;

int64_t nowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

// Waits up to two seconds for `done`; the timer runs on its own, so tests poll.
template <typename Condition>
bool eventually(Condition done) {
    for (int i = 0; i < 2000 && !done(); ++i) {
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

struct Counter {
    std::atomic<int> calls{0};
    std::atomic<int64_t> firstAtNs{0};
};

void count(uint32_t, uintptr_t user) {
    auto& counter = *reinterpret_cast<Counter*>(user);
    if (counter.calls.fetch_add(1) == 0) {
        counter.firstAtNs = nowNs();
    }
}

TEST(MultimediaTimer, OneShotRunsOnceAfterItsDelayAndPeriodicKeepsGoingUntilKilled) {
    MultimediaTimer timer;
    Counter once;
    Counter periodic;
    const int64_t setAt = nowNs();
    const uint32_t onceId =
        timer.setEvent(20, 0, count, reinterpret_cast<uintptr_t>(&once), mm::TIME_ONESHOT);
    const uint32_t periodicId =
        timer.setEvent(2, 0, count, reinterpret_cast<uintptr_t>(&periodic), mm::TIME_PERIODIC);
    ASSERT_NE(onceId, 0U);
    ASSERT_NE(periodicId, 0U);
    ASSERT_NE(onceId, periodicId);

    ASSERT_TRUE(eventually([&] { return once.calls > 0 && periodic.calls >= 10; }));
    EXPECT_GE(once.firstAtNs - setAt, 20 * 1000000) << "never early";
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(once.calls, 1);
    EXPECT_EQ(timer.killEvent(onceId), mm::MMSYSERR_INVALPARAM) << "a fired one-shot is gone";

    EXPECT_EQ(timer.killEvent(periodicId), mm::TIMERR_NOERROR);
    const int afterKill = periodic.calls;
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(periodic.calls, afterKill);
    EXPECT_EQ(timer.killEvent(periodicId), mm::MMSYSERR_INVALPARAM);
}

TEST(MultimediaTimer, RefusesZeroDelaysMissingCallbacksAndUnmatchedPeriods) {
    MultimediaTimer timer;
    Counter counter;
    const auto user = reinterpret_cast<uintptr_t>(&counter);
    EXPECT_EQ(timer.setEvent(0, 0, count, user, mm::TIME_PERIODIC), 0U);
    EXPECT_EQ(timer.setEvent(5, 0, nullptr, user, mm::TIME_PERIODIC), 0U);
    EXPECT_EQ(timer.killEvent(12345), mm::MMSYSERR_INVALPARAM);
    EXPECT_EQ(timer.beginPeriod(0), mm::TIMERR_NOCANDO);
    EXPECT_EQ(timer.endPeriod(1), mm::TIMERR_NOCANDO);
}

// What a tick touches: a page's device and file stand-in that the killer frees right after the
// kill. Plain (not atomic) on purpose: only the kill guarantee orders the accesses.
struct Shared {
    MultimediaTimer* timer = nullptr;
    std::unique_ptr<std::vector<int>> device;
    std::atomic<uint32_t> selfKill{0};
    std::atomic<int> calls{0};
};

void touch(uint32_t id, uintptr_t user) {
    auto& shared = *reinterpret_cast<Shared*>(user);
    shared.device->push_back(1);
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    shared.device->push_back(2);
    shared.calls.fetch_add(1);
    if (shared.selfKill == id) {
        EXPECT_EQ(shared.timer->killEvent(id), mm::TIMERR_NOERROR);
    }
}

TEST(MultimediaTimer, KillWaitsForTheCallbackInProgressAndNoneStartsAfterIt) {
    MultimediaTimer timer;
    for (int round = 0; round < 1000; ++round) {
        Shared shared{&timer, std::make_unique<std::vector<int>>()};
        const uint32_t id =
            timer.setEvent(1, 0, touch, reinterpret_cast<uintptr_t>(&shared), mm::TIME_PERIODIC);
        ASSERT_NE(id, 0U);
        // Kill at varying moments: before the first tick, in one, between ticks.
        std::this_thread::sleep_for(std::chrono::microseconds(37 * (round % 60)));
        ASSERT_EQ(timer.killEvent(id), mm::TIMERR_NOERROR);
        shared.device.reset();  // a tick after this would crash or race
        const int calls = shared.calls;
        if (round % 100 == 0) {
            std::this_thread::sleep_for(3ms);
            ASSERT_EQ(shared.calls, calls) << "round " << round;
        }
    }
}

TEST(MultimediaTimer, ACallbackMayKillItsOwnEventWithoutWaitingForItself) {
    MultimediaTimer timer;
    Shared shared{&timer, std::make_unique<std::vector<int>>()};
    shared.selfKill =
        timer.setEvent(1, 0, touch, reinterpret_cast<uintptr_t>(&shared), mm::TIME_PERIODIC);
    ASSERT_TRUE(eventually([&] { return shared.calls > 0; }));
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(shared.calls, 1);
    EXPECT_EQ(timer.killEvent(shared.selfKill), mm::MMSYSERR_INVALPARAM);
}

std::atomic<int> hookRealtimeCalls{0};
std::atomic<int> hookNormalCalls{0};
std::atomic<bool> hookOnOtherThread{false};
std::thread::id testThread;

bool refusingHook(bool realtime) {
    (realtime ? hookRealtimeCalls : hookNormalCalls).fetch_add(1);
    hookOnOtherThread = std::this_thread::get_id() != testThread;
    return false;
}

TEST(MultimediaTimer, AOneMillisecondPeriodAsksForPriorityOnTheTimerThreadAndARefusalIsNoError) {
    testThread = std::this_thread::get_id();
    MultimediaTimer::setPriorityHook(refusingHook);
    MultimediaTimer timer;
    Counter counter;
    const uint32_t id =
        timer.setEvent(1, 0, count, reinterpret_cast<uintptr_t>(&counter), mm::TIME_PERIODIC);
    ASSERT_EQ(timer.beginPeriod(1), mm::TIMERR_NOERROR);
    ASSERT_TRUE(eventually([&] { return timer.finePeriodApplied() && hookRealtimeCalls > 0; }));
    EXPECT_TRUE(hookOnOtherThread);
    EXPECT_FALSE(timer.realtimeGranted());
    const int before = counter.calls;
    EXPECT_TRUE(eventually([&] { return counter.calls > before + 5; })) << "still ticking";

    ASSERT_EQ(timer.endPeriod(1), mm::TIMERR_NOERROR);
    EXPECT_TRUE(eventually([&] { return !timer.finePeriodApplied() && hookNormalCalls > 0; }));
    EXPECT_EQ(timer.killEvent(id), mm::TIMERR_NOERROR);
    MultimediaTimer::setPriorityHook(nullptr);
}

std::atomic<bool> slowHookEntered{false};
std::atomic<bool> slowHookMayReturn{false};

bool slowHook(bool realtime) {
    if (!realtime) {
        slowHookEntered = true;
        while (!slowHookMayReturn) {
            std::this_thread::sleep_for(1ms);
        }
    }
    return false;
}

// The priority hook may take a while (it asks another process); a timer destroyed meanwhile, as
// at the program's exit right after a page stops, must still end its thread.
TEST(MultimediaTimer, ATimerDestroyedWhileThePriorityHookRunsStillEnds) {
    MultimediaTimer::setPriorityHook(slowHook);
    auto timer = std::make_unique<MultimediaTimer>();
    Counter counter;
    timer->setEvent(1, 0, count, reinterpret_cast<uintptr_t>(&counter), mm::TIME_ONESHOT);
    ASSERT_EQ(timer->beginPeriod(1), mm::TIMERR_NOERROR);
    ASSERT_TRUE(eventually([&] { return timer->finePeriodApplied() && counter.calls == 1; }));
    ASSERT_EQ(timer->endPeriod(1), mm::TIMERR_NOERROR);
    ASSERT_TRUE(eventually([&] { return slowHookEntered.load(); }));

    std::atomic<bool> destroyed{false};
    std::thread destroyer([&] {
        timer.reset();
        destroyed = true;
    });
    std::this_thread::sleep_for(50ms);  // the destructor has asked the thread to quit by now
    slowHookMayReturn = true;
    const bool ended = eventually([&] { return destroyed.load(); });
    MultimediaTimer::setPriorityHook(nullptr);
    if (!ended) {
        destroyer.detach();  // it would hang the test program's exit too
        FAIL() << "the timer thread missed the quit and was never joined";
    }
    destroyer.join();
}

// The timer thread's voluntary context switches so far: each is one wait or sleep of its own.
long waitsOfTimerThread(pid_t timerThread) {
    std::ifstream status("/proc/self/task/" + std::to_string(timerThread) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
            return std::stol(line.substr(line.find(':') + 1));
        }
    }
    return -1;
}

void noteThread(uint32_t, uintptr_t user) {
    reinterpret_cast<std::atomic<pid_t>*>(user)->store(gettid());
}

// Every wake-up of a thread costs a small machine tens of microseconds: a tick waits once, not
// once on the condition and once more in a final sleep.
TEST(MultimediaTimer, APeriodicTickWakesTheTimerThreadOncePerTick) {
    MultimediaTimer timer;
    std::atomic<pid_t> timerThread{0};
    const uint32_t id = timer.setEvent(5, 0, noteThread, reinterpret_cast<uintptr_t>(&timerThread),
                                       mm::TIME_PERIODIC);
    ASSERT_TRUE(eventually([&] { return timerThread.load() != 0; }));
    const long before = waitsOfTimerThread(timerThread);
    ASSERT_GE(before, 0) << "no context switch count for the timer thread";
    constexpr int kTicks = 40;
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * kTicks));
    const long waits = waitsOfTimerThread(timerThread) - before;
    EXPECT_EQ(timer.killEvent(id), mm::TIMERR_NOERROR);
    EXPECT_LE(waits, kTicks + kTicks / 4) << "waits in " << kTicks << " ticks";
}

}  // namespace
