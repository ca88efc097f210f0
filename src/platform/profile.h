#pragma once
// INI profile files with the behaviour of the Windows private-profile functions: section and key
// names match without regard to case, the first match wins, blanks around names and values are
// trimmed, and a value in matching quotes loses them. There is no cache: every call reads the
// file, and every write replaces it atomically, keeping every other line as it was.
//
// Thread: GUI (every function here; calls on one file must not overlap).

#include <cstdint>

namespace platform {

// The value as an integer: leading blanks skipped, an optional sign, decimal digits (or hex after
// "0x"), read up to the first other character; a value without digits gives 0, a negative value
// its two's complement. `defaultValue` when the key, the section or the file is missing, or the
// value is empty. Only the first 29 characters of the value are looked at.
uint32_t getPrivateProfileInt(const char* section, const char* key, int32_t defaultValue,
                              const char* fileName);

// Copies the value (or `defaultText` without its trailing blanks, "" when null) into `buffer`,
// cut to `size` - 1 characters and terminated; returns the number of characters copied. With a
// null key: the key names of the section, each terminated, then one more terminator; with a
// null section: the section names likewise. A list cut short ends in two terminators and the
// result is `size` - 2.
uint32_t getPrivateProfileString(const char* section, const char* key, const char* defaultText,
                                 char* buffer, uint32_t size, const char* fileName);

// Sets `key` in `section` to `text`, adding the section and key at the end when absent. A null
// text removes the key; a null key removes the section. False when the file cannot be read or
// replaced, or when a name or the text holds a line break (or a name would read back as
// something else): the file is then unchanged.
bool writePrivateProfileString(const char* section, const char* key, const char* text,
                               const char* fileName);

}  // namespace platform
