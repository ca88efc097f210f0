#include "midi_sound_render.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <span>

#include "files/wave_file.h"
#include "midi_render.h"
#include "platform/backends/offline_synth_port.h"

namespace {

// Frames rendered at a time between two message times.
constexpr int64_t kBlockFrames = 256;

// A sample of the synth (full scale 1) in 24 bits: scaled, rounded and held within range.
int32_t twentyFourBitSample(float sample) {
    constexpr double kFullScale = 8388608.0;
    return static_cast<int32_t>(
        std::lround(std::clamp(double{sample} * kFullScale, -kFullScale, kFullScale - 1)));
}

// Brings the synth's sound in `take` up to `frame`: its own dithered 16-bit samples, or for a
// 24-bit take its floats rounded to 24 bits.
class SoundTake {
  public:
    SoundTake(platform::OfflineSynthPort& source, files::WaveFile& into, int32_t channelCount,
              bool twentyFourBitTake)
        : synth(source), take(into), channels(channelCount), twentyFourBit(twentyFourBitTake) {}

    bool renderTo(int64_t frame) {
        while (rendered < frame) {
            const int64_t count = std::min(kBlockFrames, frame - rendered);
            const std::span<const uint8_t> block =
                twentyFourBit ? twentyFourBitBlock(count) : sixteenBitBlock(count);
            const auto bytes = static_cast<int32_t>(block.size());
            if (take.write(block.data(), bytes) != bytes) {
                return false;
            }
            rendered += count;
        }
        return true;
    }

  private:
    std::span<const uint8_t> sixteenBitBlock(int64_t count) {
        synth.render(std::span(stereo.data(), static_cast<size_t>(2 * count)));
        if (channels == 1) {
            for (int64_t i = 0; i < count; ++i) {
                stereo[i] = static_cast<int16_t>((stereo[2 * i] + stereo[2 * i + 1]) / 2);
            }
        }
        return {reinterpret_cast<const uint8_t*>(stereo.data()),
                static_cast<size_t>(count * channels * 2)};
    }

    std::span<const uint8_t> twentyFourBitBlock(int64_t count) {
        synth.render(std::span(floats.data(), static_cast<size_t>(2 * count)));
        if (channels == 1) {
            for (int64_t i = 0; i < count; ++i) {
                floats[i] = (floats[2 * i] + floats[2 * i + 1]) / 2;
            }
        }
        const auto samples = static_cast<size_t>(count * channels);
        for (size_t i = 0; i < samples; ++i) {
            const auto value = static_cast<uint32_t>(twentyFourBitSample(floats[i]));
            packed[3 * i] = static_cast<uint8_t>(value & 0xFF);
            packed[3 * i + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
            packed[3 * i + 2] = static_cast<uint8_t>((value >> 16) & 0xFF);
        }
        return {packed.data(), 3 * samples};
    }

    platform::OfflineSynthPort& synth;
    files::WaveFile& take;
    int32_t channels;
    bool twentyFourBit;
    int64_t rendered = 0;
    std::array<int16_t, 2 * kBlockFrames> stereo{};
    std::array<float, 2 * kBlockFrames> floats{};
    std::array<uint8_t, 2 * 3 * kBlockFrames> packed{};
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
    SoundTake sound(*synth, take, channels, take.format().bitsPerSample == 24);
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
