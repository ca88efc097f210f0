#pragma once
// Two complete, different sets of settings values: a store killed while saving must hold one of
// them whole, never a mix. Shared by the saving helper program and the test that kills it.

#include <array>
#include <cstdint>

#include "settings/settings_values.h"

namespace settings_test {

struct ValueSet {
    int32_t volume, pitch, vibrato, timbre, midiVolume, midiPitch, midiPitch2, instrument;
    bool stereo, highRate;

    bool operator==(const ValueSet&) const = default;
};

inline constexpr std::array<ValueSet, 2> valueSets{{
    {20, 3, 1, 4, 30, 45, 70, 12, true, false},
    {90, 8, 3, 9, 95, 20, 100, 101, false, true},
}};

inline void applyValueSet(const ValueSet& set) {
    settings::Volume = set.volume;
    settings::Pitch = set.pitch;
    settings::Vibrato = set.vibrato;
    settings::Timbre = set.timbre;
    settings::MidiVolume = set.midiVolume;
    settings::MidiPitch = set.midiPitch;
    settings::MidiPitch2 = set.midiPitch2;
    settings::Instrument = set.instrument;
    settings::Stereo = set.stereo;
    settings::HighRate = set.highRate;
}

inline ValueSet currentValueSet() {
    return {settings::Volume,     settings::Pitch,     settings::Vibrato,    settings::Timbre,
            settings::MidiVolume, settings::MidiPitch, settings::MidiPitch2, settings::Instrument,
            settings::Stereo,     settings::HighRate};
}

}  // namespace settings_test
