#pragma once
// The text of an INI profile file: finding and replacing values without disturbing any other
// line. Section and key names match without regard to case; the first matching section, and the
// first matching key in it, win. Pure functions over the file's bytes.
//
// Thread: any thread.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::profile {

// The value of `key` in `section`, blanks trimmed and one pair of enclosing quotes removed;
// nothing when the section or the key is absent.
std::optional<std::string_view> findValue(std::string_view text, std::string_view section,
                                          std::string_view key);

// Every section name in file order; every key name of the first matching section.
std::vector<std::string_view> sectionNames(std::string_view text);
std::vector<std::string_view> keyNames(std::string_view text, std::string_view section);

// The text with `key` in `section` set to `value` (a null value removes the key). The section
// and key are added at the end when absent. Nothing when a name or the value cannot be written
// without changing the meaning of other lines (line breaks, '=' or ']' in names, empty names).
std::optional<std::string> withValue(std::string_view text, std::string_view section,
                                     std::string_view key, const char* value);

// The text without the first matching section and its lines.
std::optional<std::string> withoutSection(std::string_view text, std::string_view section);

}  // namespace platform::profile
