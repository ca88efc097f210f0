// What keeping every play costs: the bytes a capture takes for an hour of the DirectSound page
// with the pointer moving at every read (its step reads once a millisecond), the time a read
// takes with the capture on and off, and the memory of a long session of plays kept within the
// history's budget. Targets: under 8 MB an hour; the read's extra time small beside the step's
// millisecond; the session's memory within the budget and the capture's reserve.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench_row.h"
#include "files/performance_capture.h"

namespace {

// A hand sweeping to and fro: a pixel or three a millisecond, up and down a little.
class SweepingPointer final : public platform::CursorSource {
  public:
    platform::CursorPosition cursorPosition() override {
        ++reads;
        x += direction * (1 + reads % 3);
        if (x <= 0 || x >= 1919) {
            direction = -direction;
        }
        return {x, 540 + static_cast<int32_t>(reads % 7) - 3};
    }
    platform::ScreenSize primaryScreenSize() override { return {1920, 1080}; }

  private:
    int64_t reads = 0;
    int32_t x = 960;
    int32_t direction = 1;
};

double medianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Nanoseconds a read takes through `source`, over `reads` reads.
double nanosecondsPerRead(platform::CursorSource& source, int reads) {
    const auto start = std::chrono::steady_clock::now();
    int64_t sum = 0;
    for (int i = 0; i < reads; ++i) {
        sum += source.cursorPosition().x;
    }
    const auto ns =
        std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s", sum == 42 ? " " : "");  // keeps the reads from being optimised away
    return ns / reads;
}

// The process's resident memory in MB, from the kernel's count of pages.
double residentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * 4096.0 / (1024.0 * 1024.0);
}

// Plays of a few minutes each, the pointer always moving, kept one after another as the program
// keeps them: the history gives up its oldest to stay within its budget.
void longSession(const bench::RowPrinter& rows) {
    const int plays = bench::runLength(40, 4);
    const int readsPerPlay = 3 * 60 * 1000;  // three minutes of the DirectSound page
    SweepingPointer pointer;
    files::PerformanceCapture capture(pointer);
    files::PerformanceHistory history;
    const double before = residentMegabytes();
    double largest = 0.0;
    std::size_t mostKept = 0;
    for (int play = 0; play < plays; ++play) {
        capture.begin(files::PerformancePage::dsound, "");
        for (int i = 0; i < readsPerPlay; ++i) {
            (void)capture.cursorPosition();
        }
        if (auto ended = capture.finish()) {
            history.keep(std::move(*ended));
        }
        largest = std::max(largest, residentMegabytes() - before);
        mostKept = std::max(mostKept, history.bytes());
    }
    std::printf(
        "history: %d plays of 3 min; at most %.1f MB kept (%zu plays now), resident "
        "memory at most %.1f MB above the start\n",
        plays, static_cast<double>(mostKept) / (1024.0 * 1024.0), history.size(), largest);
    rows.print({"history of " + std::to_string(plays) +
                    " plays of 3 min, pointer always moving: resident memory above start",
                "DirectSound", "", bench::fixed(largest, 1), "MB", "<= 40 (32 kept + 8 reserved)"});
}

}  // namespace

int main(int argc, char** argv) {
    const bench::RowPrinter rows(argc, argv);
    const int minutes = bench::runLength(10, 1);
    const int reads = minutes * 60 * 1000;

    SweepingPointer pointer;
    files::PerformanceCapture capture(pointer, std::size_t{64} << 20);
    capture.begin(files::PerformancePage::dsound, "");
    for (int i = 0; i < reads; ++i) {
        (void)capture.cursorPosition();
    }
    const double bytesPerRead = static_cast<double>(capture.noted()) / reads;
    const double megabytesPerHour = bytesPerRead * 3600.0 * 1000.0 / (1024.0 * 1024.0);
    (void)capture.finish();
    std::printf("capture: %d reads, %zu bytes noted: %.2f bytes a read, %.1f MB an hour\n", reads,
                static_cast<std::size_t>(bytesPerRead * reads), bytesPerRead, megabytesPerHour);
    rows.print({"capture size, pointer moving at every 1 ms read, " + std::to_string(minutes) +
                    " min extrapolated",
                "DirectSound", "", bench::fixed(megabytesPerHour, 1), "MB per hour", "< 8"});

    std::vector<double> bare;
    std::vector<double> captured;
    for (int run = 0; run < 7; ++run) {
        bare.push_back(nanosecondsPerRead(pointer, 1'000'000));
        capture.begin(files::PerformancePage::dsound, "");
        captured.push_back(nanosecondsPerRead(capture, 1'000'000));
        (void)capture.finish();
    }
    const double extra = medianOf(captured) - medianOf(bare);
    std::printf("capture: a read takes %.1f ns bare and %.1f ns captured (medians of 7 runs)\n",
                medianOf(bare), medianOf(captured));
    rows.print({"capture cost per engine read, captured minus bare, 7 runs of 1e6 reads", "all", "",
                bench::fixed(extra, 1), "ns", "< 1000"});
    longSession(rows);
    return 0;
}
