#pragma once
// Whole-number settings kept as one registry byte or one INI "Setup" number each, with the
// defaults each store gives and the range an INI value must lie in. GUI thread.

#include <atomic>
#include <cstdint>
#include <span>

#include "settings/store_selector.h"

namespace settings {

struct RangedSetting {
    const char* key;
    std::atomic<int32_t>& value;
    int32_t registryDefault;  // a missing registry value (registry values are not range-checked)
    int32_t iniDefault;       // a missing INI value
    int32_t iniOutOfRange;    // an INI value outside [low, high]
    int32_t low;
    int32_t high;
};

// Loads every value from the store in use; with neither store nothing changes.
void readRangedSettings(std::span<const RangedSetting> values, const StoreSelector& store);

// Stores every value; returns whether each was stored (true with neither store).
bool writeRangedSettings(std::span<const RangedSetting> values, const StoreSelector& store);

// One number to the store in use: a registry byte or an INI number. True with neither store.
bool writeStoredNumber(const StoreSelector& store, const char* key, int32_t value);

}  // namespace settings
