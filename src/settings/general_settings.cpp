#include "settings/general_settings.h"

#include <atomic>

#include "settings/ranged_settings.h"
#include "settings/settings_values.h"

namespace settings {

namespace {

struct Flag {
    const char* key;
    std::atomic<bool>& value;
};

const Flag generalFlags[] = {
    {"PlayOnStart", PlayOnStart},
    {"MinimizeOnStart", MinimizeOnStart},
    {"OnTop", OnTop},
    {"StopFocus", StopFocus},
};

}  // namespace

void readGeneralSettings(const StoreSelector& store) {
    for (const Flag& flag : generalFlags) {
        if (store.useRegistry()) {
            flag.value = readRegistryByte(*store.key, flag.key).value_or(0) != 0;
        } else if (store.useIni()) {
            flag.value = readIniInt(store.iniFile, flag.key, 0) != 0;
        }
    }
    if (store.useIni()) {
        SwoopMode = readIniInt(store.iniFile, "SwoopMode", 0) != 0 ? 1 : 0;
    }
}

bool writeGeneralSettings(const StoreSelector& store) {
    bool ok = true;
    for (const Flag& flag : generalFlags) {
        ok = writeStoredNumber(store, flag.key, flag.value ? 1 : 0) && ok;
    }
    return ok;
}

}  // namespace settings
