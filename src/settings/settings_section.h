#pragma once
// Decimal values in one section of an INI file, or directly under the registry key when one is
// open (the section is then not used). GUI thread.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry.h"

namespace settings {

class SettingsSection {
  public:
    static constexpr uint32_t bufferSize = 260;

    // `fileName` is only used when `key` is null.
    SettingsSection(platform::RegistryKey* key, const char* fileName, const char* section);

    // The value as a string of at most 259 characters. Registry: the stored value whatever its
    // type, else `defaultText` (nothing without one). INI: the value or `defaultText`, nothing
    // when that is empty. Nothing for an empty key name or with neither store.
    std::optional<std::string> readString(const char* key, const char* defaultText) const;

    // The value read as a decimal number ("%ld"); `defaultValue` when nothing could be read, the
    // text does not start with a number, or the number does not fit in 32 bits.
    int32_t readInt(const char* key, int32_t defaultValue) const;

    // Registry: REG_SZ with its terminating zero. INI: the text as it is.
    bool writeString(const char* key, const char* text);
    bool writeInt(const char* key, int32_t value);

  private:
    platform::RegistryKey* key;
    const char* fileName;
    const char* section;
};

}  // namespace settings
