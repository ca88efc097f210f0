#include "settings/output_settings.h"

#include <string>

#include "platform/utf8_text.h"
#include "settings/settings_values.h"

namespace settings {

namespace {

constexpr const char* latencyKey = "OutputLatency";
constexpr const char* deviceKey = "OutputDevice";
constexpr uint32_t deviceBuffer = outputDeviceMaxLength + 1;

bool registryHolds(const platform::RegistryKey& key, const char* name) {
    uint32_t size = 0;
    return key.queryValue(name, nullptr, nullptr, &size) == platform::RegResult::Success;
}

bool iniHolds(const char* iniFile, const char* name) {
    // A default no number can read as tells a missing key from a stored one.
    return readIniText(iniFile, name, "\x01", 2) != "\x01";
}

}  // namespace

int32_t validOutputLatency(int32_t ms) {
    return ms == 0 || (ms >= outputLatencyLeast && ms <= outputLatencyMost) ? ms : 0;
}

void readOutputSettings(const StoreSelector& store) {
    if (store.useRegistry()) {
        OutputLatency = validOutputLatency(readRegistryByte(*store.key, latencyKey).value_or(0));
        OutputDevice.set(readRegistryText(*store.key, deviceKey, deviceBuffer).value_or(""));
    } else if (store.useIni()) {
        OutputLatency = validOutputLatency(readIniInt(store.iniFile, latencyKey, 0));
    }
}

bool writeOutputSettings(const StoreSelector& store) {
    const int32_t latency = validOutputLatency(OutputLatency);
    if (store.useRegistry()) {
        platform::RegistryKey& key = *store.key;
        const bool latencyStored = (latency == 0 && !registryHolds(key, latencyKey)) ||
                                   writeRegistryByte(key, latencyKey, latency);
        const std::string device = OutputDevice.get();
        const bool deviceStored =
            (device.empty() && !registryHolds(key, deviceKey)) ||
            writeRegistryText(
                key, deviceKey,
                std::string(platform::text::utf8Prefix(device, outputDeviceMaxLength)));
        return latencyStored && deviceStored;
    }
    if (store.useIni()) {
        return (latency == 0 && !iniHolds(store.iniFile, latencyKey)) ||
               writeIniInt(store.iniFile, latencyKey, latency);
    }
    return true;
}

}  // namespace settings
