#pragma once
// The values of the latest readout, kept for displays that follow the sounding note at their own
// pace (the play surface's marker) without asking the engines anything. Each engine publishes
// where it writes its readout and clears it when it stops; only the page on top plays, so one
// place serves every page.
//
// Thread: any thread (every function here is lock-free and allocates nothing).

#include <cstdint>

namespace engine {

struct SoundingNote {
    enum class Kind : uint8_t { silent, frequency, note };
    Kind kind = Kind::silent;
    float value = 0;       // Hz for `frequency`, the exact MIDI pitch for `note`
    int32_t loudness = 0;  // the readout's loudness (Wave amplitude, or MIDI level 0..127)
    friend bool operator==(const SoundingNote&, const SoundingNote&) = default;
};

void publishSoundingFrequency(int32_t frequency, int32_t loudness) noexcept;
void publishSoundingNote(float note, int32_t loudness) noexcept;
void publishSilence() noexcept;

SoundingNote soundingNote() noexcept;

}  // namespace engine
