// Cursor-to-sound latency on the built-in synth: the MIDI engine on the real timer, the cursor
// moved from the bottom (silent) to the top of the screen, timed until the first sample that is
// no longer silent sounds (our audio callback's moment plus its place in the buffer). Also the
// CPU the process uses while one note plays. Runs on whatever SDL_AUDIODRIVER names (dummy when
// unset).

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "bench_clock.h"
#include "bench_row.h"
#include "engine/midi/midi_engine.h"
#include "observed_device.h"
#include "platform/backends/fluid_synth_port.h"
#include "platform/backends/sdl_thread_priority.h"
#include "platform/midiout.h"
#include "platform/mmtimer.h"
#include "settings/settings_values.h"

namespace {

using namespace std::chrono_literals;

class MovableCursor final : public platform::CursorSource {
  public:
    platform::CursorPosition cursorPosition() override { return {960, y.load()}; }
    platform::ScreenSize primaryScreenSize() override { return {1920, 1080}; }
    std::atomic<int32_t> y{1080};
};

class QuietHost final : public engine::MidiEngineHost {
  public:
    void showStatus(const char*) override {}
    void showMessage(const char* text, const char* caption) override {
        std::fprintf(stderr, "%s: %s\n", caption, text);
    }
    void requestMessage(const char* text, const char* caption) override {
        std::fprintf(stderr, "%s: %s\n", caption, text);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("SDL_AUDIODRIVER") == nullptr) {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    platform::installSdlTimerPriority();
    auto synth = std::make_shared<platform::FluidSynthPort>(
        "", [] { return std::make_unique<bench::ObservedDevice>(); });
    if (!synth->soundFontLoaded()) {
        std::fprintf(stderr, "no SoundFont: %s\n", synth->loadError().c_str());
        return 1;
    }
    platform::FixedMidiOutDevices devices({synth});
    platform::MidiOut midiOut(devices);
    MovableCursor cursor;
    QuietHost host;
    engine::MidiEngine midi(midiOut, platform::MultimediaTimer::shared(), cursor, host);
    midi.setScreen(cursor.primaryScreenSize());
    settings::MidiVolume = 100;
    midi.start();
    if (!midi.isPlaying()) {
        return 1;
    }

    const int trials = bench::runLength(60, 10);
    std::vector<double> latencyMs;
    for (int trial = 0; trial < trials; ++trial) {
        cursor.y = 1080;  // level 0: silent
        std::this_thread::sleep_for(150ms);
        bench::ObservedDevice::armed = true;
        const int64_t movedAt = bench::monotonicNs();
        cursor.y = 0;
        for (int wait = 0; wait < 200 && bench::ObservedDevice::armed; ++wait) {
            std::this_thread::sleep_for(1ms);
        }
        if (!bench::ObservedDevice::armed) {
            latencyMs.push_back(static_cast<double>(bench::ObservedDevice::soundedAtNs - movedAt) /
                                1e6);
        }
        bench::ObservedDevice::armed = false;
    }
    std::printf(
        "cursor-to-sound on the built-in synth (%zu of %d trials): median %.2f ms, "
        "p99 %.2f ms\n",
        latencyMs.size(), trials, bench::quantile(latencyMs, 0.5),
        bench::quantile(latencyMs, 0.99));
    const bench::RowPrinter rows(argc, argv);
    rows.print({"cursor-to-sound latency, built-in synth, " + std::to_string(latencyMs.size()) +
                    " of " + std::to_string(trials) + " trials",
                "Midi", bench::fixed(bench::quantile(latencyMs, 0.5), 2),
                bench::fixed(bench::quantile(latencyMs, 0.99), 2), "ms", "<= 15"});

    // One note sounding, the tick running, for 10 s.
    const int64_t wallStart = bench::monotonicNs();
    const int64_t cpuStart = bench::processCpuNs();
    std::this_thread::sleep_for(std::chrono::seconds(bench::runLength(10, 3)));
    const double share = static_cast<double>(bench::processCpuNs() - cpuStart) /
                         static_cast<double>(bench::monotonicNs() - wallStart) * 100.0;
    std::printf("CPU while one note plays on the built-in synth: %.2f%% of a core\n", share);
    rows.print({"CPU while playing, one note on the built-in synth, whole process", "Midi", "",
                bench::fixed(share, 2), "% of a core", "< 3"});
    midi.stop();
    return 0;
}
