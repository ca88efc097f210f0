#pragma once
// The SDL output with a look at every buffer our callback hands it: once armed, it notes when the
// first frame that is no longer silent will sound (the callback's moment plus the frame's place
// in the buffer). Cursor-to-sound latency is measured up to that moment.

#include <atomic>
#include <cstdint>
#include <span>

#include "bench_clock.h"
#include "platform/backends/sdl_audio_device.h"

namespace bench {

class ObservedDevice final : public platform::AudioDevice, private platform::AudioSource {
  public:
    bool open(const platform::AudioFormat& format, platform::AudioSource& source) override {
        real = &source;
        opened = format;
        return inner.open(format, *this);
    }
    void start() override { inner.start(); }
    void stop() override { inner.stop(); }
    void close() override { inner.close(); }
    uint64_t framesPlayed() const override { return inner.framesPlayed(); }
    platform::AudioFormat format() const override { return inner.format(); }
    std::string lastError() const override { return inner.lastError(); }
    bool lost() const override { return inner.lost(); }

    // Shared by every device made, so a tool can arm the one its engine opens.
    static inline std::atomic<bool> armed{false};
    static inline std::atomic<int64_t> soundedAtNs{0};

  private:
    // Thread: audio.
    void fill(std::span<uint8_t> out) noexcept override {
        const int64_t calledAt = monotonicNs();
        real->fill(out);
        if (!armed.load(std::memory_order_acquire)) {
            return;
        }
        const int64_t frame = firstSoundingFrame(out);
        if (frame >= 0) {
            soundedAtNs.store(calledAt + frame * 1000000000 / opened.rate);
            armed.store(false, std::memory_order_release);
        }
    }

    // Sound: a sample more than a rounding step away from silence (-66 dB in 16 bits).
    int64_t firstSoundingFrame(std::span<const uint8_t> out) const {
        const bool wide = opened.bits == 16;
        const size_t sampleBytes = wide ? 2 : 1;
        const int threshold = wide ? 16 : 1;
        for (size_t at = 0; at + sampleBytes <= out.size(); at += sampleBytes) {
            const int level =
                wide ? static_cast<int16_t>(out[at] | out[at + 1] << 8) : out[at] - 128;
            if (level > threshold || level < -threshold) {
                return static_cast<int64_t>(at / static_cast<size_t>(opened.frameBytes()));
            }
        }
        return -1;
    }

    platform::SdlAudioDevice inner;
    platform::AudioSource* real = nullptr;
    platform::AudioFormat opened;
};

}  // namespace bench
