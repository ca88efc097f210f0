#pragma once
// The output format settings: Stereo, SampleRate ("22kHz"/"44kHz"), Resolution ("8bit"/"16bit").
// GUI thread.

#include "settings/store_selector.h"

namespace settings {

// Registry: Stereo one byte, the texts compared without regard to case, missing values false.
// INI: Stereo decimal (default 0), the texts compared exactly, at most 19 characters read.
// With neither store nothing changes.
void readWaveFormatSettings(const StoreSelector& store);

// Returns whether every value was stored (true with neither store).
bool writeWaveFormatSettings(const StoreSelector& store);

}  // namespace settings
