#include "settings/settings_section.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/profile.h"
#include "settings/store_selector.h"

namespace settings {

namespace {

bool empty(const char* text) {
    return text == nullptr || text[0] == '\0';
}

// As "%ld" reads: blanks, a sign, digits; anything after them is ignored.
std::optional<int32_t> parseDecimal(const std::string& text) {
    const char* start = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(start, &end, 10);
    if (end == start || errno == ERANGE || value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

}  // namespace

SettingsSection::SettingsSection(platform::RegistryKey* registryKey, const char* iniFile,
                                 const char* sectionName)
    : key(registryKey),
      fileName(registryKey == nullptr ? iniFile : nullptr),
      section(sectionName) {}

std::optional<std::string> SettingsSection::readString(const char* name,
                                                       const char* defaultText) const {
    if (empty(name)) {
        return std::nullopt;
    }
    if (key != nullptr) {
        if (auto text = readRegistryText(*key, name, bufferSize)) {
            return text;
        }
        if (defaultText == nullptr) {
            return std::nullopt;
        }
        return std::string(defaultText, ::strnlen(defaultText, bufferSize - 1));
    }
    if (fileName == nullptr) {
        return std::nullopt;
    }
    char buffer[bufferSize];
    const uint32_t copied = platform::getPrivateProfileString(
        section, name, defaultText != nullptr ? defaultText : "", buffer, bufferSize, fileName);
    if (copied == 0) {
        return std::nullopt;
    }
    return std::string(buffer, copied);
}

int32_t SettingsSection::readInt(const char* name, int32_t defaultValue) const {
    const auto text = readString(name, std::to_string(defaultValue).c_str());
    if (!text) {
        return defaultValue;
    }
    return parseDecimal(*text).value_or(defaultValue);
}

bool SettingsSection::writeString(const char* name, const char* text) {
    if (empty(name) || text == nullptr) {
        return false;
    }
    if (key != nullptr) {
        return writeRegistryText(*key, name, text);
    }
    return !empty(fileName) && platform::writePrivateProfileString(section, name, text, fileName);
}

bool SettingsSection::writeInt(const char* name, int32_t value) {
    return writeString(name, std::to_string(value).c_str());
}

}  // namespace settings
