// CPU cost of the Wave engine while it plays: 10 s through SDL's dummy driver at 44100 Hz
// 16-bit stereo, with the cursor moving at every refill so that every buffer is rendered.
// Prints the CPU time of the thread that plays the page and of the whole process (SDL's audio
// thread and the output's notifier included) as a share of one core.

#include <sys/resource.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>

#include "engine/wave/wave_engine.h"
#include "platform/backends/sdl_audio_device.h"
#include "platform/waveout/wave_out.h"
#include "settings/settings_values.h"

namespace {

class SweepingCursor final : public CursorSource {
  public:
    CursorPosition cursorPosition() override {
        x = (x + 37) % 1920;
        return {x, 300};
    }
    ScreenSize primaryScreenSize() override { return {1920, 1080}; }

  private:
    int32_t x = 0;
};

class Silent final : public platform::MessageBoxQueue {
  public:
    void request(platform::BoxRequest box) override {
        std::fprintf(stderr, "%s: %s\n", box.caption.c_str(), box.text.c_str());
    }
    void resetCause(const std::string& /*cause*/) override {}
};

class PageQueue final : public WaveEngineHost {
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

    // Hands the waiting dones to the engine; waits up to `limit` for one to arrive.
    void dispatch(WaveEngine& engine, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex);
        arrived.wait_for(lock, limit, [this] { return !dones.empty(); });
        while (!dones.empty()) {
            const Done done = dones.front();
            dones.pop_front();
            lock.unlock();
            engine.onBufferDone(done.header, done.session);
            lock.lock();
        }
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

double seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main() {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    settings::stereo = true;
    settings::highRate = true;
    settings::sixteenBit = true;
    settings::Pitch = 1;

    SweepingCursor cursor;
    Silent messages;
    PageQueue page;
    platform::WaveOut waveOut([] { return std::make_unique<platform::SdlAudioDevice>(); });
    WaveEngine engine(waveOut, cursor, messages, page);
    engine.setScreen(cursor.primaryScreenSize());

    constexpr auto kPlaying = std::chrono::seconds(10);
    const double threadBefore = cpuSeconds(RUSAGE_THREAD);
    const double processBefore = cpuSeconds(RUSAGE_SELF);
    const auto start = std::chrono::steady_clock::now();
    engine.startPlaying();
    if (!engine.isPlaying()) {
        std::fprintf(stderr, "bench_wave_engine_cpu: the output did not open: %s\n",
                     waveOut.lastDeviceError().c_str());
        return 1;
    }
    while (std::chrono::steady_clock::now() - start < kPlaying) {
        page.dispatch(engine, std::chrono::milliseconds(50));
    }
    engine.stopPlaying();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double thread = cpuSeconds(RUSAGE_THREAD) - threadBefore;
    const double process = cpuSeconds(RUSAGE_SELF) - processBefore;

    std::printf("Wave engine, 44100 Hz 16-bit stereo, SDL dummy driver, %.1f s playing\n", wall);
    std::printf("  page thread (refill, render, queue): %7.4f s CPU = %.3f%% of one core\n", thread,
                100.0 * thread / wall);
    std::printf(
        "  whole process (with audio threads):  %7.4f s CPU = %.3f%% of one core (target < "
        "0.5%%)\n",
        process, 100.0 * process / wall);
    return page.restarts ? 1 : 0;
}
