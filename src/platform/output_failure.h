#pragma once
// What a page says when its sound output did not open: the output's own reason, which names
// what was tried and what the user can do, or, where it gave none, that it could not be opened.
//
// Thread: any but audio.

#include <string>

namespace platform {

std::string outputFailureText(const std::string& reason);

}  // namespace platform
