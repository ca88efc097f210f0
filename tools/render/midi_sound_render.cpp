#include "midi_sound_render.h"

#include <algorithm>
#include <array>
#include <memory>

#include "files/wave_file.h"
#include "midi_render.h"
#include "platform/backends/offline_synth_port.h"

namespace {

// Frames rendered at a time between two message times.
constexpr int64_t kBlockFrames = 256;

// Brings the synth's sound in `take` up to `frame`.
class SoundTake {
  public:
    SoundTake(platform::OfflineSynthPort& source, files::WaveFile& into, int32_t channelCount)
        : synth(source), take(into), channels(channelCount) {}

    bool renderTo(int64_t frame) {
        while (rendered < frame) {
            const int64_t count = std::min(kBlockFrames, frame - rendered);
            synth.render(std::span(stereo.data(), static_cast<size_t>(2 * count)));
            if (channels == 1) {
                for (int64_t i = 0; i < count; ++i) {
                    stereo[i] = static_cast<int16_t>((stereo[2 * i] + stereo[2 * i + 1]) / 2);
                }
            }
            const auto bytes = static_cast<int32_t>(count * channels * 2);
            if (take.write(stereo.data(), bytes) != bytes) {
                return false;
            }
            rendered += count;
        }
        return true;
    }

  private:
    platform::OfflineSynthPort& synth;
    files::WaveFile& take;
    int32_t channels;
    int64_t rendered = 0;
    std::array<int16_t, 2 * kBlockFrames> stereo{};
};

}  // namespace

bool renderMidiSound(const Gesture& gesture, platform::ScreenSize screen, int64_t durationMs,
                     const std::string& soundFont, int32_t rate, int32_t channels,
                     files::WaveFile& take, std::string& error) {
    auto synth = std::make_shared<platform::OfflineSynthPort>(soundFont, rate);
    if (!synth->ready()) {
        error = synth->loadError();
        return false;
    }
    SoundTake sound(*synth, take, channels);
    const auto frameAt = [rate](int64_t ms) { return ms * rate / 1000; };
    const auto reach = [&](int64_t ms) {
        if (sound.renderTo(frameAt(ms))) {
            return true;
        }
        error = "Can't write the recording";
        return false;
    };
    if (!playMidi(gesture, screen, durationMs, synth, nullptr, reach, error)) {
        return false;
    }
    return reach(durationMs + kReleaseTailMs);
}
