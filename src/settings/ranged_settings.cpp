#include "settings/ranged_settings.h"

namespace settings {

void readRangedSettings(std::span<const RangedSetting> values, const StoreSelector& store) {
    for (const RangedSetting& setting : values) {
        if (store.useRegistry()) {
            setting.value =
                readRegistryByte(*store.key, setting.key).value_or(setting.registryDefault);
        } else if (store.useIni()) {
            const int32_t read = readIniInt(store.iniFile, setting.key, setting.iniDefault);
            setting.value =
                (read >= setting.low && read <= setting.high) ? read : setting.iniOutOfRange;
        }
    }
}

bool writeRangedSettings(std::span<const RangedSetting> values, const StoreSelector& store) {
    bool ok = true;
    for (const RangedSetting& setting : values) {
        ok = writeStoredNumber(store, setting.key, setting.value) && ok;
    }
    return ok;
}

bool writeStoredNumber(const StoreSelector& store, const char* key, int32_t value) {
    if (store.useRegistry()) {
        return writeRegistryByte(*store.key, key, value);
    }
    return !store.useIni() || writeIniInt(store.iniFile, key, value);
}

}  // namespace settings
