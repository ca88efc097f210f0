// Lateness of the 5 ms MIDI tick on the multimedia timer, with the 1 ms period held and
// real-time priority asked for through SDL, as the program does. Argument: seconds (60; 5 for a
// quick run).

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "bench_clock.h"
#include "bench_row.h"
#include "platform/backends/sdl_thread_priority.h"
#include "platform/mmtimer.h"

namespace {

struct Ticks {
    int64_t firstDeadlineNs = 0;
    std::vector<double> latenessUs;
    std::atomic<size_t> count{0};
    int64_t lastPeriod = 0;
};

constexpr int64_t kPeriodNs = 5000000;

void onTick(uint32_t, uintptr_t user) {
    auto& ticks = *reinterpret_cast<Ticks*>(user);
    const size_t index = ticks.count.load(std::memory_order_relaxed);
    if (index < ticks.latenessUs.size()) {
        // A tick is never early, and one later than a whole period is skipped by the timer: the
        // deadline it served is the last one of the grid before it.
        const int64_t sinceFirst = bench::monotonicNs() - ticks.firstDeadlineNs;
        ticks.lastPeriod = sinceFirst / kPeriodNs;
        ticks.latenessUs[index] = static_cast<double>(sinceFirst % kPeriodNs) / 1000.0;
        ticks.count.store(index + 1, std::memory_order_release);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : bench::runLength(60, 5);
    platform::installSdlTimerPriority();
    platform::MultimediaTimer& timer = platform::MultimediaTimer::shared();
    Ticks ticks;
    ticks.latenessUs.assign(static_cast<size_t>(seconds) * 200, 0);
    timer.beginPeriod(1);
    // The timer takes its own clock reading after this one: lateness errs by a few
    // microseconds towards late.
    ticks.firstDeadlineNs = bench::monotonicNs() + 5000000;
    const uint32_t id = timer.setEvent(5, 0, onTick, reinterpret_cast<uintptr_t>(&ticks),
                                       platform::mm::TIME_PERIODIC);
    while (ticks.count.load(std::memory_order_acquire) < ticks.latenessUs.size()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    timer.killEvent(id);
    timer.endPeriod(1);
    const auto skipped = ticks.lastPeriod + 1 - static_cast<int64_t>(ticks.latenessUs.size());
    std::printf(
        "tick lateness over %d s at 5 ms (%zu ticks, %lld skipped): median %.1f us, "
        "p99 %.1f us, max %.1f us; real-time priority %s\n",
        seconds, ticks.latenessUs.size(), static_cast<long long>(skipped),
        bench::quantile(ticks.latenessUs, 0.5), bench::quantile(ticks.latenessUs, 0.99),
        bench::quantile(ticks.latenessUs, 1.0), timer.realtimeGranted() ? "granted" : "refused");
    bench::RowPrinter(argc, argv)
        .print({"timer lateness, 5 ms tick, " + std::to_string(seconds) +
                    " s, real-time priority " + (timer.realtimeGranted() ? "granted" : "refused"),
                "Midi", bench::fixed(bench::quantile(ticks.latenessUs, 0.5), 1),
                bench::fixed(bench::quantile(ticks.latenessUs, 0.99), 1), "us", "p99 < 300"});
    return 0;
}
