#pragma once
// Text helpers shared by the INI profile and registry file parsers. Names in both stores match
// without regard to ASCII case, whatever the locale. Pure functions.
//
// Thread: any thread.

#include <string_view>

namespace platform::text {

// 'A'..'Z' become 'a'..'z'; every other byte stays as it is.
char asciiLower(char c);

// Same length and the same bytes but for ASCII case.
bool equalIgnoringCase(std::string_view a, std::string_view b);

// `s` without the leading and trailing bytes that appear in `blanks`.
std::string_view trimmed(std::string_view s, std::string_view blanks);

}  // namespace platform::text
