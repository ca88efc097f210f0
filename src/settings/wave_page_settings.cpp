#include "settings/wave_page_settings.h"

#include "settings/ranged_settings.h"
#include "settings/settings_values.h"

namespace settings {

namespace {

// An INI value outside the range reads as the INI default.
const RangedSetting waveValues[] = {
    {"Volume", Volume, 50, 50, 50, 0, 100},
    {"Pitch", Pitch, 10, 1, 1, 1, 10},
    {"Vibrato", Vibrato, 0, 0, 0, 0, 3},
    {"Timbre", Timbre, 0, 0, 0, 0, 10},
};

}  // namespace

void readWavePageSettings(const StoreSelector& store) {
    readRangedSettings(waveValues, store);
}

bool writeWavePageSettings(const StoreSelector& store) {
    return writeRangedSettings(waveValues, store);
}

}  // namespace settings
