#include "settings/wave_page_settings.h"

#include <atomic>

#include "settings/settings_values.h"

namespace settings {

namespace {

struct WaveValue {
    const char* key;
    std::atomic<int32_t>& value;
    int32_t registryDefault;
    int32_t iniDefault;  // also for a value outside [low, high]
    int32_t low;
    int32_t high;
};

const WaveValue waveValues[] = {
    {"Volume", Volume, 50, 50, 0, 100},
    {"Pitch", Pitch, 10, 1, 1, 10},
    {"Vibrato", Vibrato, 0, 0, 0, 3},
    {"Timbre", Timbre, 0, 0, 0, 10},
};

}  // namespace

void readWavePageSettings(const StoreSelector& store) {
    for (const WaveValue& v : waveValues) {
        if (store.useRegistry()) {
            v.value = readRegistryByte(*store.key, v.key).value_or(v.registryDefault);
        } else if (store.useIni()) {
            const int32_t read = readIniInt(store.iniFile, v.key, v.iniDefault);
            v.value = (read >= v.low && read <= v.high) ? read : v.iniDefault;
        }
    }
}

bool writeWavePageSettings(const StoreSelector& store) {
    bool ok = true;
    for (const WaveValue& v : waveValues) {
        if (store.useRegistry()) {
            ok = writeRegistryByte(*store.key, v.key, v.value) && ok;
        } else if (store.useIni()) {
            ok = writeIniInt(store.iniFile, v.key, v.value) && ok;
        }
    }
    return ok;
}

}  // namespace settings
