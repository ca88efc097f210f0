// What the timer thread costs with nothing to do: a chain of empty 1 ms one-shot events, as the
// DirectSound page arms its steps, and an empty 5 ms periodic tick, as the Midi page ticks, each
// with the 1 ms period held. Every wake-up of a thread costs the machine something of its own
// (much more in a virtual machine than on bare metal): the engines' own work comes on top of
// these figures, and no step or tick can cost less. Argument: seconds per figure (20; 5 for a
// quick run).

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "bench_row.h"
#include "platform/backends/sdl_thread_priority.h"
#include "platform/mmtimer.h"

namespace {

namespace mm = platform::mm;

struct Chain {
    platform::MultimediaTimer* timer = nullptr;
    std::atomic<bool> going{true};
    std::atomic<pid_t> thread{0};
    std::atomic<long> events{0};
};

void onStep(uint32_t, uintptr_t user) {
    auto& chain = *reinterpret_cast<Chain*>(user);
    chain.thread.store(gettid());
    chain.events.fetch_add(1);
    if (chain.going.load()) {
        chain.timer->setEvent(1, 0, onStep, user, mm::TIME_ONESHOT);
    }
}

void onTick(uint32_t, uintptr_t user) {
    auto& chain = *reinterpret_cast<Chain*>(user);
    chain.thread.store(gettid());
    chain.events.fetch_add(1);
}

// Nanoseconds the thread has run, as the kernel counts them.
int64_t threadCpuNs(pid_t thread) {
    std::ifstream stat("/proc/self/task/" + std::to_string(thread) + "/schedstat");
    int64_t ns = -1;
    stat >> ns;
    return ns;
}

struct Figure {
    double share;  // % of a core
    double eventsPerSecond;
};

// Starts the events (`periodic`: a 5 ms tick, else a 1 ms chain), lets them settle, measures.
Figure measure(bool periodic, int seconds) {
    platform::MultimediaTimer timer;
    timer.beginPeriod(1);
    Chain chain;
    chain.timer = &timer;
    const auto user = reinterpret_cast<uintptr_t>(&chain);
    const uint32_t id = periodic ? timer.setEvent(5, 0, onTick, user, mm::TIME_PERIODIC)
                                 : timer.setEvent(1, 0, onStep, user, mm::TIME_ONESHOT);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const pid_t thread = chain.thread.load();
    const int64_t cpuBefore = threadCpuNs(thread);
    const long eventsBefore = chain.events.load();
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const int64_t cpu = threadCpuNs(thread) - cpuBefore;
    const long events = chain.events.load() - eventsBefore;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    chain.going = false;
    if (periodic) {
        timer.killEvent(id);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the chain's last step
    timer.endPeriod(1);
    return {static_cast<double>(cpu) / (wall * 1e9) * 100.0, static_cast<double>(events) / wall};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--one") {
        platform::installSdlTimerPriority();
        const Figure alone =
            measure(std::string(argv[2]) == "tick", std::max(1, std::atoi(argv[3])));
        std::printf("%.2f\n", alone.share);
        return 0;
    }
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : bench::runLength(20, 5);
    const bench::RowPrinter rows(argc, argv);
    // As the program does: the timer thread asks for real-time priority (through rtkit).
    platform::installSdlTimerPriority();
    const Figure steps = measure(false, seconds);
    const Figure ticks = measure(true, seconds);
    std::printf(
        "timer floor: empty 1 ms chain %.2f %% of a core (%.0f steps/s), empty 5 ms tick "
        "%.2f %% (%.0f ticks/s)\n",
        steps.share, steps.eventsPerSecond, ticks.share, ticks.eventsPerSecond);
    rows.print({"CPU of the timer thread with nothing to do, an empty 1 ms step chain, " +
                    std::to_string(seconds) + " s",
                "DirectSound", "", bench::fixed(steps.share, 2), "% of a core", ""});
    rows.print({"CPU of the timer thread with nothing to do, an empty 5 ms tick, " +
                    std::to_string(seconds) + " s",
                "Midi", "", bench::fixed(ticks.share, 2), "% of a core", ""});
    return 0;
}
