// The Wave engine on SDL's dummy driver (or whatever SDL_AUDIODRIVER names), page thread played
// by this one:
// - cursor-to-sound latency: the cursor jumps from the bottom left (silent, lowest pitch) to the
//   top right, and the time until the first sounding frame leaves our audio callback (its moment
//   plus the frame's place in the buffer), at 44100 Hz 16-bit stereo and at the first-start
//   format; the jump comes at a varying moment within the buffer that is playing;
// - CPU while playing 10 s at 44100 Hz 16-bit stereo with the cursor moving at every refill, so
//   that every buffer is rendered: the page thread and the whole process (SDL's audio thread and
//   the output's notifier included), as shares of one core.

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "bench_row.h"
#include "engine/wave/wave_engine.h"
#include "observed_device.h"
#include "platform/backends/sdl_audio_device.h"
#include "platform/waveout/wave_out.h"
#include "settings/settings_values.h"

namespace {

using namespace std::chrono_literals;

constexpr platform::ScreenSize kScreen{1920, 1080};

class MovableCursor final : public platform::CursorSource {
  public:
    platform::CursorPosition cursorPosition() override {
        if (sweeping) {
            x = (x + 37) % kScreen.width;
        }
        return {x.load(), y.load()};
    }
    platform::ScreenSize primaryScreenSize() override { return kScreen; }
    std::atomic<int32_t> x{0};
    std::atomic<int32_t> y{kScreen.height};
    bool sweeping = false;  // a new column at every reading
};

class Silent final : public platform::MessageBoxQueue {
  public:
    void request(platform::BoxRequest box) override {
        std::fprintf(stderr, "%s: %s\n", box.caption.c_str(), box.text.c_str());
    }
    void resetCause(const std::string& /*cause*/) override {}
};

class PageQueue final : public engine::WaveEngineHost {
  public:
    void postBufferDone(platform::WaveHeader* header, uint32_t session) noexcept override {
        std::lock_guard lock(mutex);
        dones.push_back({header, session});
        arrived.notify_one();
    }
    void postRestart() override { restarts = true; }
    void postToggle() override {}
    void showStatus(const char*) override {}
    void pumpWaitingMessages() override {}

    // Hands the waiting dones to the engine; waits up to `limit` for one to arrive. Returns how
    // many were handed.
    int dispatch(engine::WaveEngine& engine, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex);
        arrived.wait_for(lock, limit, [this] { return !dones.empty(); });
        int handed = 0;
        while (!dones.empty()) {
            const Done done = dones.front();
            dones.pop_front();
            lock.unlock();
            engine.onBufferDone(done.header, done.session);
            ++handed;
            lock.lock();
        }
        return handed;
    }
    bool restarts = false;

  private:
    struct Done {
        platform::WaveHeader* header;
        uint32_t session;
    };
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<Done> dones;
};

void setFormat(bool full) {
    settings::Stereo = full;
    settings::HighRate = full;
    settings::SixteenBit = full;
}

std::string formatName(bool full) {
    return full ? "44100 Hz 16-bit stereo" : "22050 Hz 8-bit mono";
}

double bufferSeconds(bool full) {
    const double bytesPerSecond = full ? 44100.0 * 4 : 22050.0;
    return engine::WaveEngine::kBufferBytes / bytesPerSecond;
}

bool latency(bool full, int trials, const bench::RowPrinter& rows) {
    setFormat(full);
    MovableCursor cursor;
    Silent messages;
    PageQueue page;
    platform::WaveOut waveOut([] { return std::make_unique<bench::ObservedDevice>(); });
    engine::WaveEngine engine(waveOut, cursor, messages, page);
    engine.setScreen(kScreen);
    engine.startPlaying();
    if (!engine.isPlaying()) {
        std::fprintf(stderr, "bench_wave_engine: the output did not open: %s\n",
                     waveOut.lastDeviceError().c_str());
        return false;
    }
    const auto buffer = std::chrono::duration<double>(bufferSeconds(full));
    std::vector<double> latencyMs;
    for (int trial = 0; trial < trials && !page.restarts; ++trial) {
        // Three refills at the bottom: the buffer playing and the one queued are silent.
        cursor.x = 0;
        cursor.y = kScreen.height;
        for (int dones = 0; dones < 3;) {
            dones += page.dispatch(engine, 100ms);
        }
        // A moment spread over the playing buffer, the same series on every run.
        const auto wait = buffer * (static_cast<double>((trial * 37) % 100) / 100.0);
        const auto until = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < until) {
            page.dispatch(engine, 5ms);
        }
        bench::ObservedDevice::armed = true;
        const int64_t movedAt = bench::monotonicNs();
        cursor.x = kScreen.width - 1;
        cursor.y = 0;
        const auto giveUp = std::chrono::steady_clock::now() + buffer * 4;
        while (bench::ObservedDevice::armed && std::chrono::steady_clock::now() < giveUp) {
            page.dispatch(engine, 5ms);
        }
        if (!bench::ObservedDevice::armed) {
            latencyMs.push_back(static_cast<double>(bench::ObservedDevice::soundedAtNs - movedAt) /
                                1e6);
        }
        bench::ObservedDevice::armed = false;
    }
    engine.stopPlaying();
    std::printf("Wave cursor-to-sound at %s (%zu of %d trials): median %.1f ms, p99 %.1f ms\n",
                formatName(full).c_str(), latencyMs.size(), trials, bench::quantile(latencyMs, 0.5),
                bench::quantile(latencyMs, 0.99));
    if (latencyMs.empty()) {
        return false;
    }
    rows.print({"cursor-to-sound latency, " + formatName(full) + ", " +
                    std::to_string(latencyMs.size()) + " of " + std::to_string(trials) + " trials",
                "Wave", bench::fixed(bench::quantile(latencyMs, 0.5), 1),
                bench::fixed(bench::quantile(latencyMs, 0.99), 1), "ms", ""});
    return !page.restarts;
}

double seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

bool cpu(std::chrono::seconds playing, const bench::RowPrinter& rows) {
    setFormat(true);
    MovableCursor cursor;
    cursor.y = 300;
    cursor.sweeping = true;
    Silent messages;
    PageQueue page;
    platform::WaveOut waveOut([] { return std::make_unique<platform::SdlAudioDevice>(); });
    engine::WaveEngine engine(waveOut, cursor, messages, page);
    engine.setScreen(kScreen);

    const double threadBefore = cpuSeconds(RUSAGE_THREAD);
    const double processBefore = cpuSeconds(RUSAGE_SELF);
    const auto start = std::chrono::steady_clock::now();
    engine.startPlaying();
    if (!engine.isPlaying()) {
        std::fprintf(stderr, "bench_wave_engine: the output did not open: %s\n",
                     waveOut.lastDeviceError().c_str());
        return false;
    }
    while (std::chrono::steady_clock::now() - start < playing) {
        page.dispatch(engine, 50ms);
    }
    engine.stopPlaying();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double thread = cpuSeconds(RUSAGE_THREAD) - threadBefore;
    const double process = cpuSeconds(RUSAGE_SELF) - processBefore;

    std::printf("Wave engine, 44100 Hz 16-bit stereo, %.1f s playing\n", wall);
    std::printf("  page thread (refill, render, queue): %7.4f s CPU = %.3f%% of one core\n", thread,
                100.0 * thread / wall);
    std::printf("  whole process (with audio threads):  %7.4f s CPU = %.3f%% of one core\n",
                process, 100.0 * process / wall);
    rows.print({"CPU while playing, 44100 Hz 16-bit stereo, whole process", "Wave", "",
                bench::fixed(100.0 * process / wall, 2), "% of a core", "< 0.5"});
    return !page.restarts;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    settings::Pitch = 1;
    settings::Volume = 100;
    const bench::RowPrinter rows(argc, argv);
    bool measured = latency(true, bench::runLength(40, 5), rows);
    measured = latency(false, bench::runLength(8, 2), rows) && measured;
    measured = cpu(std::chrono::seconds(bench::runLength(10, 3)), rows) && measured;
    return measured ? 0 : 1;
}
