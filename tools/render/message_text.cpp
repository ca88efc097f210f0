#include "message_text.h"

#include <cstdint>

namespace {

constexpr std::size_t kLongestQuote = 80;

bool continues(std::string_view text, std::size_t at, uint8_t low = 0x80, uint8_t high = 0xBF) {
    if (at >= text.size()) {
        return false;
    }
    const auto byte = static_cast<uint8_t>(text[at]);
    return byte >= low && byte <= high;
}

// The length of the well-formed UTF-8 sequence of two to four bytes at `at`, or 0.
std::size_t sequenceLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<uint8_t>(text[at]);
    if (lead >= 0xC2 && lead <= 0xDF) {
        return continues(text, at + 1) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        // No overlong forms and no surrogates.
        const uint8_t low = lead == 0xE0 ? 0xA0 : 0x80;
        const uint8_t high = lead == 0xED ? 0x9F : 0xBF;
        return continues(text, at + 1, low, high) && continues(text, at + 2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const uint8_t low = lead == 0xF0 ? 0x90 : 0x80;
        const uint8_t high = lead == 0xF4 ? 0x8F : 0xBF;
        return continues(text, at + 1, low, high) && continues(text, at + 2) &&
                       continues(text, at + 3)
                   ? 4
                   : 0;
    }
    return 0;
}

}  // namespace

std::string shownForMessage(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<uint8_t>(text[at]);
        if (byte < 0x80) {
            shown += byte < 0x20 || byte == 0x7F ? '?' : text[at];
            ++at;
            continue;
        }
        const std::size_t length = sequenceLength(text, at);
        // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F.
        const bool control =
            length == 2 && byte == 0xC2 && static_cast<uint8_t>(text[at + 1]) < 0xA0;
        if (length == 0 || control) {
            shown += '?';
            at += length == 0 ? 1 : length;
        } else {
            shown.append(text.substr(at, length));
            at += length;
        }
    }
    return shown;
}

std::string quotedForMessage(std::string_view text) {
    return "'" + shownForMessage(text.substr(0, kLongestQuote)) +
           (text.size() > kLongestQuote ? "...'" : "'");
}
