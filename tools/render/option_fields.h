#pragma once
// The colon-separated fields of a command-line value ("semitones:45:93", "wav:48000:24:2"); an
// empty field stays, so "ogg:44100::2" has four.

#include <string_view>
#include <vector>

inline std::vector<std::string_view> colonFields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t colon = text.find(':', start);
        fields.push_back(text.substr(start, colon - start));
        if (colon == std::string_view::npos) {
            return fields;
        }
        start = colon + 1;
    }
}
