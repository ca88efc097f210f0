#include "platform/utf8_text.h"

namespace platform::text {

namespace {

constexpr std::size_t kLongestCharacter = 4;

bool continuesCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0U) == 0x80U;
}

}  // namespace

std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return text;
    }
    // text[end] is the first byte left out: while it continues a character, so does the cut.
    std::size_t end = maxBytes;
    while (end > 0 && maxBytes - end < kLongestCharacter - 1 && continuesCharacter(text[end])) {
        --end;
    }
    return text.substr(0, continuesCharacter(text[end]) ? maxBytes : end);
}

}  // namespace platform::text
