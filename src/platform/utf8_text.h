#pragma once
// UTF-8 text cut to a size in bytes without splitting a character: a name cut in the middle of
// one would read back as another name and never match the one it was cut from.
//
// Thread: any thread.

#include <cstddef>
#include <string_view>

namespace platform::text {

// The longest start of `text` of at most `maxBytes` bytes that ends where a character ends.
// Bytes that are not UTF-8 are cut where the size says.
std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes);

}  // namespace platform::text
