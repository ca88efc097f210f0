#pragma once
// Which store a settings group reads or writes: the open registry key; else the INI file when
// its name is not empty; else neither, and loaders keep their values while savers write nothing.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry.h"

namespace settings {

struct StoreSelector {
    platform::RegistryKey* key = nullptr;
    const char* iniFile = nullptr;

    bool useRegistry() const { return key != nullptr; }
    bool useIni() const { return key == nullptr && iniFile != nullptr && iniFile[0] != '\0'; }
};

// The INI section of every group's values.
inline constexpr const char* setupSection = "Setup";

// Registry values as the groups store them. GUI thread.
// One byte, whatever its stored type; nothing when missing or longer than a byte.
std::optional<uint8_t> readRegistryByte(const platform::RegistryKey& key, const char* name);
bool writeRegistryByte(platform::RegistryKey& key, const char* name, int32_t value);
// Text read into a buffer of `bufferSize` bytes, whatever its stored type, cut at its first zero;
// nothing when missing or larger than the buffer.
std::optional<std::string> readRegistryText(const platform::RegistryKey& key, const char* name,
                                            uint32_t bufferSize);
// REG_SZ with its terminating zero.
bool writeRegistryText(platform::RegistryKey& key, const char* name, const std::string& text);

// "Setup" values of an INI file. GUI thread.
int32_t readIniInt(const char* iniFile, const char* name, int32_t defaultValue);
std::string readIniText(const char* iniFile, const char* name, const char* defaultText,
                        uint32_t bufferSize);
bool writeIniInt(const char* iniFile, const char* name, int32_t value);
bool writeIniText(const char* iniFile, const char* name, const char* text);

}  // namespace settings
