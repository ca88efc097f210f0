#pragma once
// The General page's settings: PlayOnStart, MinimizeOnStart, OnTop, StopFocus, and from an INI
// file also SwoopMode. GUI thread.

#include "settings/store_selector.h"

namespace settings {

// Registry: one byte each, a value that cannot be read counting as 0. INI: decimal, default 0,
// any non-zero value true; SwoopMode too. With neither store nothing changes.
void readGeneralSettings(const StoreSelector& store);

// The four flags as one byte each or as "0"/"1" (SwoopMode is written by the store itself).
// Returns whether every value was stored (true with neither store).
bool writeGeneralSettings(const StoreSelector& store);

}  // namespace settings
