#include "engine/tone/render_buffer.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <type_traits>

#include "engine/tone/tone_frame.h"
#include "settings/settings_values.h"

namespace engine {

namespace {

constexpr int32_t kGlideSegments = 21;
constexpr int32_t kSegmentFramesAt22050 = 137;
constexpr int32_t kMinimumBytesMono8At22050 = 2757;
// A cut is allowed only where the phase is this close to zero, so repetitions join smoothly.
constexpr uint16_t kNearZeroBelow = 256;
constexpr uint16_t kNearZeroAbove = 65279;

// The longest 8- or 16-bit buffer at an export rate: the same time as render::kMaxBufferBytes
// takes at 44100 Hz, up to 96000 Hz.
constexpr int32_t kLargestNarrowBufferBytes = 87072;
static_assert(kLargestNarrowBufferBytes / 2 * 3 == render::kLargestBufferBytes);

std::atomic<int32_t> exportRateInUse{0};
std::atomic<bool> exportTwentyFourBit{false};
std::atomic<int32_t> exportHeardRate{0};

// `frames` at 22050 Hz as frames at `rate`, rounded: exact for 44100 Hz.
int32_t framesAt(int32_t frames, int32_t rate) {
    return static_cast<int32_t>((static_cast<int64_t>(frames) * rate + 11025) / 22050);
}

// The renderer proper, with increments in units of 2^-FractionBits of a phase step. The designed
// tone keeps a 16-bit phase (FractionBits 0); a tuned tone carries 16 bits more, so that its
// pitch is not rounded to the 0.34 Hz (at 22050 Hz) that a whole phase step gives. Only the
// upper 16 bits index the table and decide the cut, so both end their buffers alike.
template <int FractionBits>
int32_t renderScaled(std::span<uint8_t> buffer, const WaveTable& table, OutputFormat format,
                     int32_t vibrato, int64_t newIncrement, int64_t oldIncrement,
                     bool vibratoActive, int32_t newAmplitude, int32_t oldAmplitude) {
    using Phase = std::conditional_t<FractionBits == 0, uint16_t, uint32_t>;
    const int32_t maxBytes = maxBufferBytes(format);
    assert(buffer.size() >= static_cast<size_t>(maxBytes));
    if (buffer.size() < static_cast<size_t>(maxBytes)) {
        return 0;  // never write past a caller's short buffer
    }
    uint8_t* out = buffer.data();
    const int32_t frameBytes = format.frameBytes();
    const int64_t vibratoStep = newIncrement >> (11 - std::clamp(vibrato, 1, 3));

    const int32_t segmentFrames = framesAt(kSegmentFramesAt22050, format.rate());
    const int32_t minimumBytes = framesAt(kMinimumBytesMono8At22050, format.rate()) * frameBytes;

    Phase phase = 0;
    int32_t offset = 0;
    int64_t increment = oldIncrement;
    for (int32_t j = 0; j < kGlideSegments; ++j) {
        const int32_t amplitude = oldAmplitude + (j * (newAmplitude - oldAmplitude)) / 20;
        if (!vibratoActive) {
            increment = oldIncrement + (j * (newIncrement - oldIncrement)) / 20;
        } else if (j <= 9) {
            increment += vibratoStep;
        } else {
            increment -= vibratoStep;
        }
        for (int32_t frame = 0; frame < segmentFrames; ++frame) {
            writeFrame(out + offset, table, format, static_cast<uint16_t>(phase >> FractionBits),
                       amplitude);
            offset += frameBytes;
            phase = static_cast<Phase>(phase + increment);
        }
    }

    while (offset < maxBytes) {
        const auto tablePhase = static_cast<uint16_t>(phase >> FractionBits);
        writeFrame(out + offset, table, format, tablePhase, newAmplitude);
        const bool nearPhaseZero = tablePhase < kNearZeroBelow || tablePhase > kNearZeroAbove;
        if (nearPhaseZero && offset >= minimumBytes) {
            return offset;
        }
        phase = static_cast<Phase>(phase + newIncrement);
        offset += frameBytes;
    }
    return maxBytes;
}

}  // namespace

OutputFormat currentOutputFormat() {
    return OutputFormat{settings::Stereo.load(std::memory_order_relaxed),
                        settings::HighRate.load(std::memory_order_relaxed),
                        settings::SixteenBit.load(std::memory_order_relaxed),
                        exportRateInUse.load(std::memory_order_relaxed),
                        exportTwentyFourBit.load(std::memory_order_relaxed),
                        exportHeardRate.load(std::memory_order_relaxed)};
}

void setExportRate(int32_t rate) {
    exportRateInUse.store(rate, std::memory_order_relaxed);
}

void setExportHeardRate(int32_t rate) {
    exportHeardRate.store(rate, std::memory_order_relaxed);
}

void setExportTwentyFourBit(bool twentyFourBit) {
    exportTwentyFourBit.store(twentyFourBit, std::memory_order_relaxed);
}

int32_t maxBufferBytes(OutputFormat format) {
    if (format.twentyFourBit) {
        OutputFormat sixteenBit = format;
        sixteenBit.twentyFourBit = false;
        sixteenBit.sixteenBit = true;
        return maxBufferBytes(sixteenBit) / sixteenBit.frameBytes() * format.frameBytes();
    }
    const int32_t rate = format.rate();
    if (rate <= 44100) {
        return render::kMaxBufferBytes;
    }
    const int32_t frameBytes = format.frameBytes();
    const auto bytes = static_cast<int64_t>(render::kMaxBufferBytes) * rate / 44100;
    return std::min(static_cast<int32_t>(bytes / frameBytes * frameBytes),
                    kLargestNarrowBufferBytes);
}

int32_t renderBuffer(std::span<uint8_t> buffer, const WaveTable& table, OutputFormat format,
                     int32_t vibrato, int32_t newFrequency, int32_t oldFrequency,
                     int32_t newAmplitude, int32_t oldAmplitude) {
    const int32_t rate = format.rate();
    if (rendersHeardPitch(format)) {
        return renderScaled<16>(
            buffer, table, format, vibrato, heardPhaseIncrement(newFrequency, format),
            heardPhaseIncrement(oldFrequency, format), vibrato != 0 && newFrequency == oldFrequency,
            newAmplitude, oldAmplitude);
    }
    return renderScaled<0>(buffer, table, format, vibrato, phaseIncrement(newFrequency, rate),
                           phaseIncrement(oldFrequency, rate),
                           vibrato != 0 && newFrequency == oldFrequency, newAmplitude,
                           oldAmplitude);
}

int32_t renderTunedBuffer(std::span<uint8_t> buffer, const WaveTable& table, OutputFormat format,
                          int32_t vibrato, double newFrequency, double oldFrequency,
                          int32_t newAmplitude, int32_t oldAmplitude) {
    const int32_t rate = format.rate();
    return renderScaled<16>(buffer, table, format, vibrato, finePhaseIncrement(newFrequency, rate),
                            finePhaseIncrement(oldFrequency, rate),
                            vibrato != 0 && newFrequency == oldFrequency, newAmplitude,
                            oldAmplitude);
}

int32_t renderBuffer(std::span<uint8_t> buffer, const WaveTable& table, int32_t newFrequency,
                     int32_t oldFrequency, int32_t newAmplitude, int32_t oldAmplitude) {
    return renderBuffer(buffer, table, currentOutputFormat(),
                        settings::Vibrato.load(std::memory_order_relaxed), newFrequency,
                        oldFrequency, newAmplitude, oldAmplitude);
}

int32_t renderTunedBuffer(std::span<uint8_t> buffer, const WaveTable& table, double newFrequency,
                          double oldFrequency, int32_t newAmplitude, int32_t oldAmplitude) {
    return renderTunedBuffer(buffer, table, currentOutputFormat(),
                             settings::Vibrato.load(std::memory_order_relaxed), newFrequency,
                             oldFrequency, newAmplitude, oldAmplitude);
}

}  // namespace engine
