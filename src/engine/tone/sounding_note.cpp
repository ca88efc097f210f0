#include "engine/tone/sounding_note.h"

#include <algorithm>
#include <atomic>
#include <bit>

namespace engine {

namespace {

// One word, so that a reader never sees the value of one readout with the loudness of another:
// the value's bits in the high half, the kind and the loudness in the low half.
std::atomic<uint64_t> latest{0};

uint64_t pack(SoundingNote::Kind kind, float value, int32_t loudness) {
    const auto level = static_cast<uint16_t>(std::clamp(loudness, -32768, 32767));
    return static_cast<uint64_t>(std::bit_cast<uint32_t>(value)) << 32 |
           static_cast<uint64_t>(kind) << 16 | level;
}

}  // namespace

void publishSoundingFrequency(int32_t frequency, int32_t loudness) noexcept {
    latest.store(pack(SoundingNote::Kind::frequency, static_cast<float>(frequency), loudness),
                 std::memory_order_relaxed);
}

void publishSoundingNote(float note, int32_t loudness) noexcept {
    latest.store(pack(SoundingNote::Kind::note, note, loudness), std::memory_order_relaxed);
}

void publishSilence() noexcept {
    latest.store(0, std::memory_order_relaxed);
}

SoundingNote soundingNote() noexcept {
    const uint64_t packed = latest.load(std::memory_order_relaxed);
    SoundingNote note;
    note.kind = static_cast<SoundingNote::Kind>((packed >> 16) & 0xFF);
    note.value = std::bit_cast<float>(static_cast<uint32_t>(packed >> 32));
    note.loudness = static_cast<int16_t>(static_cast<uint16_t>(packed & 0xFFFF));
    return note;
}

}  // namespace engine
