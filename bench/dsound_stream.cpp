// The DirectSound stream in real time, with the 1 ms period held and real-time priority asked for
// as the program does. Three figures:
// - cursor-to-sound latency at 44100 Hz on an output that reads 128-frame periods at the pace
//   of its clock: the cursor drops from the bottom edge (silence) to the top, and the time until
//   the first sounding frame is heard (the period it is in started playing when it was read,
//   plus its place in the period);
// - lateness of the step chain: each step should start 1 ms after the previous one ended (taken
//   between two steps' starts, so the first one's own short running time counts in);
// - CPU of the whole process while streaming 44100 Hz 16-bit stereo through SDL's dummy driver.
// Argument: seconds for the lateness and CPU run (60; 5 for a quick run).

#include <stdlib.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "bench_clock.h"
#include "bench_row.h"
#include "engine/dsound/dsound_engine.h"
#include "platform/backends/sdl_audio_device.h"
#include "platform/backends/sdl_thread_priority.h"
#include "platform/dsound/direct_sound_library.h"
#include "platform/mmtimer.h"
#include "platform/waveout/wave_out.h"
#include "settings/settings_values.h"

namespace {

constexpr platform::ScreenSize kScreen{1920, 1080};

// Notes when each step reads the cursor, its first act (the readout, its last, is told only
// once in a while).
class StepClock {
  public:
    explicit StepClock(size_t capacity) : startsNs(capacity, 0) {}
    void noteStep() {
        const size_t at = count.load(std::memory_order_relaxed);
        if (at < startsNs.size()) {
            startsNs[at] = bench::monotonicNs();
            count.store(at + 1, std::memory_order_release);
        }
    }
    std::vector<int64_t> startsNs;
    std::atomic<size_t> count{0};
};

class MovableCursor final : public platform::CursorSource {
  public:
    platform::CursorPosition cursorPosition() override {
        if (steps != nullptr) {
            steps->noteStep();
        }
        return {x.load(), y.load()};
    }
    platform::ScreenSize primaryScreenSize() override { return kScreen; }
    std::atomic<int32_t> x{960};
    std::atomic<int32_t> y{1079};
    StepClock* steps = nullptr;
};

class Printing final : public platform::MessageBox {
  public:
    int show(const std::string& text, const std::string& caption,
             platform::MessageBoxStyle) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return platform::MessageBoxResult::IDOK;
    }
};

class QuietHost final : public engine::DirectSoundEngineHost {
  public:
    void showPlaying() override {}
    void showStopped() override {}
    uintptr_t windowHandle() override { return 1; }
    void postStatus(const char*) override {}
    void requestMessage(const char* text, const char* caption) override {
        std::fprintf(stderr, "%s: %s\n", caption, text);
    }
};

// An output that reads one period every period on its own thread, on absolute deadlines, and
// notes when the first non-silent frame after `armedNs` will sound.
class PacedDevice final : public platform::AudioDevice {
  public:
    ~PacedDevice() override { close(); }
    bool open(const platform::AudioFormat& wanted, platform::AudioSource& from) override {
        current = wanted;
        source = &from;
        period.assign(static_cast<size_t>(wanted.periodFrames * wanted.frameBytes()), 0);
        return true;
    }
    void start() override {
        running = true;
        worker = std::thread([this] { run(); });
    }
    void stop() override {
        running = false;
        if (worker.joinable()) {
            worker.join();
        }
    }
    void close() override { stop(); }
    uint64_t framesPlayed() const override { return played.load(); }
    platform::AudioFormat format() const override { return current; }
    std::string lastError() const override { return {}; }
    bool lost() const override { return false; }

    std::atomic<int64_t> armedNs{0};
    std::atomic<int64_t> heardNs{0};

  private:
    void run() {
        const int64_t periodNs = int64_t{current.periodFrames} * 1000000000 / current.rate;
        int64_t deadline = bench::monotonicNs();
        while (running) {
            deadline += periodNs;
            const timespec at{static_cast<time_t>(deadline / 1000000000),
                              static_cast<long>(deadline % 1000000000)};
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
            const int64_t readNs = bench::monotonicNs();
            source->fill(period);
            played += static_cast<uint64_t>(current.periodFrames);
            if (armedNs.load() != 0 && heardNs.load() == 0) {
                for (size_t i = 0; i + 1 < period.size(); i += 4) {
                    const auto sample = static_cast<int16_t>(period[i] | period[i + 1] << 8);
                    if (sample != 0) {
                        heardNs = readNs + static_cast<int64_t>(i / 4) * 1000000000 / current.rate;
                        break;
                    }
                }
            }
        }
    }

    platform::AudioFormat current;
    platform::AudioSource* source = nullptr;
    std::vector<uint8_t> period;
    std::atomic<bool> running{false};
    std::atomic<uint64_t> played{0};
    std::thread worker;
};

void measureLatency(int trials, const bench::RowPrinter& rows) {
    PacedDevice* device = nullptr;
    platform::WaveOut waveOut([] { return std::make_unique<PacedDevice>(); });
    platform::DirectSoundOnAudio library([&device] {
        auto made = std::make_unique<PacedDevice>();
        device = made.get();
        return made;
    });
    MovableCursor cursor;
    Printing messages;
    QuietHost host;
    engine::DirectSoundEngine engine(waveOut, library, platform::MultimediaTimer::shared(), cursor,
                                     messages, host);
    engine.setScreen(kScreen);
    engine.startPlaying();
    std::vector<double> latencyMs;
    for (int trial = 0; trial < trials && engine.isPlaying(); ++trial) {
        cursor.y = 1079;  // silence
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        device->heardNs = 0;
        device->armedNs = bench::monotonicNs();
        cursor.y = 0;
        const int64_t armed = device->armedNs.load();
        while (device->heardNs.load() == 0 && bench::monotonicNs() - armed < 1000000000) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (device->heardNs.load() != 0) {
            latencyMs.push_back(static_cast<double>(device->heardNs.load() - armed) / 1e6);
        }
        device->armedNs = 0;
    }
    engine.stopPlaying();
    std::printf(
        "cursor-to-sound latency at 44100 Hz, 128-frame period (%zu trials): median %.2f ms,"
        " p99 %.2f ms, max %.2f ms\n",
        latencyMs.size(), bench::quantile(latencyMs, 0.5), bench::quantile(latencyMs, 0.99),
        bench::quantile(latencyMs, 1.0));
    rows.print({"cursor-to-sound latency, 44100 Hz, 128-frame period, " +
                    std::to_string(latencyMs.size()) + " trials",
                "DirectSound", bench::fixed(bench::quantile(latencyMs, 0.5), 2),
                bench::fixed(bench::quantile(latencyMs, 0.99), 2), "ms", "<= 15"});
}

void measureStepsAndCpu(int seconds, const bench::RowPrinter& rows) {
    platform::WaveOut waveOut([] { return std::make_unique<platform::SdlAudioDevice>(); });
    platform::DirectSoundOnAudio library(
        [] { return std::make_unique<platform::SdlAudioDevice>(); });
    MovableCursor cursor;
    cursor.y = 300;
    Printing messages;
    QuietHost host;
    StepClock clock(static_cast<size_t>(seconds) * 2000);
    cursor.steps = &clock;
    platform::MultimediaTimer& timer = platform::MultimediaTimer::shared();
    engine::DirectSoundEngine engine(waveOut, library, timer, cursor, messages, host);
    engine.setScreen(kScreen);

    const int64_t cpuBefore = bench::processCpuNs();
    const int64_t wallBefore = bench::monotonicNs();
    engine.startPlaying();
    for (int tenth = 0; tenth < seconds * 10 && engine.isPlaying(); ++tenth) {
        cursor.x = (cursor.x + 97) % kScreen.width;  // keep the slew and the writes busy
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    engine.stopPlaying();
    const double cpuShare = static_cast<double>(bench::processCpuNs() - cpuBefore) /
                            static_cast<double>(bench::monotonicNs() - wallBefore);

    // A step runs and ends, 1 ms passes, the next one starts: what the gap between the two starts
    // adds to that 1 ms is the second one's lateness plus the first one's (tiny) running time.
    const size_t steps = clock.count.load();
    std::vector<double> latenessUs;
    size_t missed = 0;
    for (size_t i = 1; i < steps; ++i) {
        const double gapUs =
            static_cast<double>(clock.startsNs[i] - clock.startsNs[i - 1]) / 1000.0;
        latenessUs.push_back(gapUs - 1000.0);
        missed += gapUs >= 2000.0 ? static_cast<size_t>(gapUs / 1000.0) - 1 : 0;
    }
    std::printf(
        "step chain over %d s (%zu steps): lateness median %.1f us, p99 %.1f us, max "
        "%.1f us; 1 ms slots missed %zu; real-time priority %s\n",
        seconds, steps, bench::quantile(latenessUs, 0.5), bench::quantile(latenessUs, 0.99),
        bench::quantile(latenessUs, 1.0), missed, timer.realtimeGranted() ? "granted" : "refused");
    std::printf(
        "CPU while streaming 44100 Hz 16-bit stereo (SDL %s driver): %.3f%% of a core\n",
        std::getenv("SDL_AUDIODRIVER") != nullptr ? std::getenv("SDL_AUDIODRIVER") : "default",
        cpuShare * 100.0);
    rows.print({"timer lateness, 1 ms step chain, " + std::to_string(seconds) + " s, " +
                    std::to_string(missed) + " slots missed, real-time priority " +
                    (timer.realtimeGranted() ? "granted" : "refused"),
                "DirectSound", bench::fixed(bench::quantile(latenessUs, 0.5), 1),
                bench::fixed(bench::quantile(latenessUs, 0.99), 1), "us", ""});
    rows.print({"CPU while playing, 44100 Hz 16-bit stereo, whole process", "DirectSound", "",
                bench::fixed(cpuShare * 100.0, 2), "% of a core", "< 0.5"});
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : bench::runLength(60, 5);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);  // headless unless a driver is named
    platform::installSdlTimerPriority();
    settings::Stereo = true;
    settings::HighRate = true;
    settings::SixteenBit = true;
    settings::Volume = 100;
    const bench::RowPrinter rows(argc, argv);
    measureLatency(bench::runLength(200, 20), rows);
    measureStepsAndCpu(seconds, rows);
    return 0;
}
