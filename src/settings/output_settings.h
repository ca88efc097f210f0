#pragma once
// The output settings: OutputLatency in the registry and in settings files ("Setup"), and
// OutputDevice in the registry only, since it names a device of this machine. GUI thread.

#include "settings/store_selector.h"

namespace settings {

// A latency that is missing, or that the Options sheet could not have stored (outside 5..100 and
// not 0), reads as Auto. A device name that is missing or too long reads as the system's default;
// a settings file leaves the device as it is. With neither store nothing changes.
void readOutputSettings(const StoreSelector& store);

// Each value is written once it differs from its default or its store already holds it, so that
// the files of a player who never chose an output stay as they were. Returns whether every value
// was stored (true with neither store).
bool writeOutputSettings(const StoreSelector& store);

// `ms` as the output can take it: itself when 0 or within 5..100, else 0 (Auto).
int32_t validOutputLatency(int32_t ms);

}  // namespace settings
