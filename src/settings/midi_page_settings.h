#pragma once
// The Midi page's settings: MidiVolume, MidiPitch, MidiPitch2, MidiTremolo, PitchBend,
// Instrument. GUI thread.

#include "settings/store_selector.h"

namespace settings {

// Registry: one byte each, not range-checked; a missing value gives 80, 40, 80, 0, 2, 79.
// INI: decimal; a missing value gives 50, 1, 1, 0, 2, 79 and one out of range 80, 40, 80, -, 2,
// 79 (MidiTremolo is true when non-zero). With neither store nothing changes.
void readMidiPageSettings(const StoreSelector& store);

// Returns whether every value was stored (true with neither store).
bool writeMidiPageSettings(const StoreSelector& store);

}  // namespace settings
