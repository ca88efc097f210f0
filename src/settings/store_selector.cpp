#include "settings/store_selector.h"

#include <vector>

#include "platform/profile.h"

namespace settings {

std::optional<uint8_t> readRegistryByte(const platform::RegistryKey& key, const char* name) {
    uint8_t byte = 0;
    uint32_t size = 1;
    uint32_t type = platform::REG_NONE;
    // A value of another type (a hand edit) reads as missing, so the setting keeps its default.
    if (key.queryValue(name, &type, &byte, &size) != platform::RegResult::Success || size != 1 ||
        type != platform::REG_BINARY) {
        return std::nullopt;
    }
    return byte;
}

bool writeRegistryByte(platform::RegistryKey& key, const char* name, int32_t value) {
    const auto byte = static_cast<uint8_t>(value);
    return key.setValue(name, platform::REG_BINARY, &byte, 1) == platform::RegResult::Success;
}

std::optional<std::string> readRegistryText(const platform::RegistryKey& key, const char* name,
                                            uint32_t bufferSize) {
    std::vector<char> buffer(bufferSize);
    uint32_t size = bufferSize;
    uint32_t type = platform::REG_NONE;
    // Text may be stored as bytes (hand edits do that); a number is no text.
    if (key.queryValue(name, &type, buffer.data(), &size) != platform::RegResult::Success ||
        type == platform::REG_DWORD) {
        return std::nullopt;
    }
    // A value stored without its terminating zero must not run past what was read.
    std::string text(buffer.data(), size);
    return text.substr(0, text.find('\0'));
}

bool writeRegistryText(platform::RegistryKey& key, const char* name, const std::string& text) {
    return key.setValue(name, platform::REG_SZ, text.c_str(),
                        static_cast<uint32_t>(text.size() + 1)) == platform::RegResult::Success;
}

int32_t readIniInt(const char* iniFile, const char* name, int32_t defaultValue) {
    return static_cast<int32_t>(
        platform::getPrivateProfileInt(setupSection, name, defaultValue, iniFile));
}

std::string readIniText(const char* iniFile, const char* name, const char* defaultText,
                        uint32_t bufferSize) {
    std::vector<char> buffer(bufferSize);
    const uint32_t copied = platform::getPrivateProfileString(setupSection, name, defaultText,
                                                              buffer.data(), bufferSize, iniFile);
    return std::string(buffer.data(), copied);
}

bool writeIniInt(const char* iniFile, const char* name, int32_t value) {
    return platform::writePrivateProfileString(setupSection, name, std::to_string(value).c_str(),
                                               iniFile);
}

bool writeIniText(const char* iniFile, const char* name, const char* text) {
    return platform::writePrivateProfileString(setupSection, name, text, iniFile);
}

}  // namespace settings
