// Cursor-to-sound latency on the built-in synth: the MIDI engine on the real timer, the cursor
// moved from the bottom (silent) to the top of the screen, timed until the first sample that is
// no longer silent leaves our audio callback. Also the CPU the process uses while one note
// plays. Runs on whatever SDL_AUDIODRIVER names (dummy when unset).

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "bench_clock.h"
#include "engine/midi/midi_engine.h"
#include "platform/backends/fluid_synth_port.h"
#include "platform/backends/sdl_audio_device.h"
#include "platform/backends/sdl_thread_priority.h"
#include "platform/midiout.h"
#include "platform/mmtimer.h"
#include "settings/settings_values.h"

namespace {

using namespace std::chrono_literals;

// The SDL device with a look at every buffer the synth hands it.
class ObservedDevice final : public platform::AudioDevice, private platform::AudioSource {
  public:
    bool open(const platform::AudioFormat& format, platform::AudioSource& source) override {
        real = &source;
        return inner.open(format, *this);
    }
    void start() override { inner.start(); }
    void stop() override { inner.stop(); }
    void close() override { inner.close(); }
    uint64_t framesPlayed() const override { return inner.framesPlayed(); }
    platform::AudioFormat format() const override { return inner.format(); }
    std::string lastError() const override { return inner.lastError(); }
    bool lost() const override { return inner.lost(); }

    static inline std::atomic<bool> armed{false};
    static inline std::atomic<int64_t> soundedAtNs{0};

  private:
    void fill(std::span<uint8_t> out) noexcept override {
        real->fill(out);
        if (!armed.load(std::memory_order_acquire)) {
            return;
        }
        const auto* samples = reinterpret_cast<const int16_t*>(out.data());
        for (size_t i = 0; i < out.size() / 2; ++i) {
            if (samples[i] > 16 || samples[i] < -16) {
                soundedAtNs.store(bench::monotonicNs());
                armed.store(false, std::memory_order_release);
                return;
            }
        }
    }

    platform::SdlAudioDevice inner;
    platform::AudioSource* real = nullptr;
};

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

int main() {
    if (std::getenv("SDL_AUDIODRIVER") == nullptr) {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    platform::installSdlTimerPriority();
    auto synth = std::make_shared<platform::FluidSynthPort>(
        "", [] { return std::make_unique<ObservedDevice>(); });
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

    std::vector<double> latencyMs;
    for (int trial = 0; trial < 60; ++trial) {
        cursor.y = 1080;  // level 0: silent
        std::this_thread::sleep_for(150ms);
        ObservedDevice::armed = true;
        const int64_t movedAt = bench::monotonicNs();
        cursor.y = 0;
        for (int wait = 0; wait < 200 && ObservedDevice::armed; ++wait) {
            std::this_thread::sleep_for(1ms);
        }
        if (!ObservedDevice::armed) {
            latencyMs.push_back(static_cast<double>(ObservedDevice::soundedAtNs - movedAt) / 1e6);
        }
        ObservedDevice::armed = false;
    }
    std::printf(
        "cursor-to-sound on the built-in synth (%zu of 60 trials): median %.2f ms, "
        "p99 %.2f ms\n",
        latencyMs.size(), bench::quantile(latencyMs, 0.5), bench::quantile(latencyMs, 0.99));

    // One note sounding, the tick running, for 10 s.
    const int64_t wallStart = bench::monotonicNs();
    const int64_t cpuStart = bench::processCpuNs();
    std::this_thread::sleep_for(10s);
    const double share = static_cast<double>(bench::processCpuNs() - cpuStart) /
                         static_cast<double>(bench::monotonicNs() - wallStart) * 100.0;
    std::printf("CPU while one note plays on the built-in synth: %.2f%% of a core\n", share);
    midi.stop();
    return 0;
}
