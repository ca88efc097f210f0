#pragma once
// The text form of the registry file: REGEDIT4 with typed values, readable and editable by a
// person. Pure functions.
//
// Thread: any thread.
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Quillhorn\Lirveto]
//   "Volume"=hex:32
//   "SampleRate"="22kHz"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

constexpr uint32_t REG_NONE = 0;
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;

inline constexpr std::string_view programKeyPath =
    "HKEY_CURRENT_USER\\Software\\Quillhorn\\Lirveto";

struct RegistryValue {
    std::string name;  // "" is the key's default value, written "@"
    uint32_t type = REG_NONE;
    std::vector<uint8_t> data;

    bool operator==(const RegistryValue&) const = default;
};

struct RegistryContents {
    bool keyPresent = false;            // the file holds the program's key
    std::vector<RegistryValue> values;  // the key's values in file order, names unique (any case)
    // Values of the program's key whose data could not be read (a mistyped hand edit); they
    // are left out, so each reads as its default.
    std::vector<std::string> unreadable;
};

// Reads the values of the program's key; values of other keys are skipped, and so is a value
// whose data is unreadable. False when the text is not a registry file of this form (it is then
// damaged and `contents` is meaningless).
bool parseRegistryFile(std::string_view text, RegistryContents& contents);

// The file text for `contents` (the key is always written).
std::string formatRegistryFile(const RegistryContents& contents);

// Registry value names match without regard to case.
bool sameValueName(std::string_view a, std::string_view b);

}  // namespace platform
