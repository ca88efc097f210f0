#include "platform/mmtimer_manual.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using platform::ManualTimer;
namespace mm = platform::mm;

struct Log {
    ManualTimer* timer = nullptr;
    std::vector<std::pair<uint32_t, int64_t>> calls;  // (id, clock at the call)
    uint32_t killInside = 0;
};

void record(uint32_t id, uintptr_t user) {
    auto& log = *reinterpret_cast<Log*>(user);
    log.calls.emplace_back(id, log.timer->nowMs());
    if (log.killInside == id) {
        log.timer->killEvent(id);
    }
}

TEST(ManualTimer, PeriodicAndOneShotFireAtTheirExactMillisecondsInOrder) {
    ManualTimer timer;
    Log log;
    log.timer = &timer;
    const uint32_t periodic =
        timer.setEvent(5, 0, record, reinterpret_cast<uintptr_t>(&log), mm::TIME_PERIODIC);
    const uint32_t once =
        timer.setEvent(10, 0, record, reinterpret_cast<uintptr_t>(&log), mm::TIME_ONESHOT);
    ASSERT_NE(periodic, 0U);
    ASSERT_NE(once, periodic);

    timer.advanceTo(15);
    const std::vector<std::pair<uint32_t, int64_t>> expected{
        {periodic, 5}, {periodic, 10}, {once, 10}, {periodic, 15}};
    EXPECT_EQ(log.calls, expected);
    EXPECT_EQ(timer.nowMs(), 15);
    EXPECT_EQ(timer.killEvent(once), mm::MMSYSERR_INVALPARAM) << "a one-shot event ends itself";
    EXPECT_EQ(timer.killEvent(periodic), mm::TIMERR_NOERROR);
    timer.advanceTo(100);
    EXPECT_EQ(log.calls.size(), 4U);
}

TEST(ManualTimer, AnEventKilledInsideItsCallbackDoesNotComeBack) {
    ManualTimer timer;
    Log log;
    log.timer = &timer;
    log.killInside =
        timer.setEvent(1, 0, record, reinterpret_cast<uintptr_t>(&log), mm::TIME_PERIODIC);
    timer.advanceTo(50);
    EXPECT_EQ(log.calls.size(), 1U);
    EXPECT_FALSE(timer.hasEvents());
}

TEST(ManualTimer, RefusesWhatTheRealTimerRefuses) {
    ManualTimer timer;
    Log log;
    log.timer = &timer;
    const auto user = reinterpret_cast<uintptr_t>(&log);
    EXPECT_EQ(timer.setEvent(0, 0, record, user, mm::TIME_ONESHOT), 0U);
    EXPECT_EQ(timer.setEvent(mm::kLongestDelayMs + 1, 0, record, user, mm::TIME_ONESHOT), 0U);
    EXPECT_EQ(timer.setEvent(5, 0, nullptr, user, mm::TIME_ONESHOT), 0U);
    EXPECT_EQ(timer.beginPeriod(0), mm::TIMERR_NOCANDO);
    EXPECT_EQ(timer.endPeriod(1), mm::TIMERR_NOCANDO);
    EXPECT_EQ(timer.beginPeriod(1), mm::TIMERR_NOERROR);
    EXPECT_EQ(timer.periodsHeld(), 1);
    EXPECT_EQ(timer.endPeriod(1), mm::TIMERR_NOERROR);
}

}  // namespace
