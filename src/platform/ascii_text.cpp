#include "platform/ascii_text.h"

#include <algorithm>

namespace platform::text {

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

std::string_view trimmed(std::string_view s, std::string_view blanks) {
    const auto first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return s.substr(s.size());
    }
    const auto last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

}  // namespace platform::text
