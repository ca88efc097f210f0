#include "settings/wave_format_settings.h"

#include <strings.h>

#include "settings/settings_values.h"

namespace settings {

namespace {

constexpr uint32_t registryTextBuffer = 260;
constexpr uint32_t iniTextBuffer = 20;

bool registryTextIs(const platform::RegistryKey& key, const char* name, const char* expected) {
    const auto text = readRegistryText(key, name, registryTextBuffer);
    return text && ::strcasecmp(text->c_str(), expected) == 0;
}

}  // namespace

void readWaveFormatSettings(const StoreSelector& store) {
    if (store.useRegistry()) {
        Stereo = readRegistryByte(*store.key, "Stereo").value_or(0) != 0;
        HighRate = registryTextIs(*store.key, "SampleRate", "44kHz");
        SixteenBit = registryTextIs(*store.key, "Resolution", "16bit");
    } else if (store.useIni()) {
        Stereo = readIniInt(store.iniFile, "Stereo", 0) != 0;
        HighRate = readIniText(store.iniFile, "SampleRate", "22kHz", iniTextBuffer) == "44kHz";
        SixteenBit = readIniText(store.iniFile, "Resolution", "8bit", iniTextBuffer) == "16bit";
    }
}

bool writeWaveFormatSettings(const StoreSelector& store) {
    const char* rate = HighRate ? "44kHz" : "22kHz";
    const char* resolution = SixteenBit ? "16bit" : "8bit";
    if (store.useRegistry()) {
        bool ok = writeRegistryByte(*store.key, "Stereo", Stereo ? 1 : 0);
        ok = writeRegistryText(*store.key, "SampleRate", rate) && ok;
        return writeRegistryText(*store.key, "Resolution", resolution) && ok;
    }
    if (store.useIni()) {
        bool ok = writeIniInt(store.iniFile, "Stereo", Stereo ? 1 : 0);
        ok = writeIniText(store.iniFile, "SampleRate", rate) && ok;
        return writeIniText(store.iniFile, "Resolution", resolution) && ok;
    }
    return true;
}

}  // namespace settings
