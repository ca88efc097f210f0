#pragma once
// The Wave page's settings: Volume, Pitch, Vibrato, Timbre. GUI thread.

#include "settings/store_selector.h"

namespace settings {

// Registry: one byte each, a missing value giving 50, 10, 0, 0. INI: decimal, a missing or
// out-of-range value giving 50, 1, 0, 0. With neither store nothing changes.
void readWavePageSettings(const StoreSelector& store);

// Returns whether every value was stored (true with neither store).
bool writeWavePageSettings(const StoreSelector& store);

}  // namespace settings
