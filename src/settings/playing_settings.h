#pragma once
// The playing aids' settings: CursorLayout, LowNote, HighNote, Correction, CorrectionScale,
// CorrectionRoot, CorrectionStrength, CorrectionRate, Glide, ConcertPitch, LoudnessCurve,
// LoudnessRange. An INI file keeps them in the section "Playing"; the registry, which has no
// sections, keeps them under the program's key beside every other value. GUI thread.

#include "settings/store_selector.h"

namespace settings {

// Names as playing_names.h spells them, numbers in decimal. A missing value, a name that does
// not parse or a number out of range takes its default; a LowNote not below HighNote gives both
// their defaults. With neither store nothing changes.
void readPlayingSettings(const StoreSelector& store);

// Written only once a value differs from its default or the store already holds the group, so
// that the stored files of a player who never touches these stay as they were. Returns whether
// every value was stored (true with neither store, or with nothing to write).
bool writePlayingSettings(const StoreSelector& store);

}  // namespace settings
