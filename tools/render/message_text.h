#pragma once
// Text from the command line or a file, made safe for a one-line error message: control bytes
// (C0, DEL and C1, a newline or an escape sequence among them) and bytes that are not UTF-8
// would break the line or work on the terminal; they are shown as '?'. UTF-8 letters stay.

#include <string>
#include <string_view>

// `text` with every control character and every byte outside a well-formed UTF-8 sequence
// shown as '?'.
std::string shownForMessage(std::string_view text);

// shownForMessage of `text` in single quotes, cut to its first 80 bytes (and "...").
std::string quotedForMessage(std::string_view text);
