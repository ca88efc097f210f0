#pragma once
// Copying a recording to another file system, where it cannot be renamed.
//
// Threads: any thread; nothing is shared between calls.

#include <string>

namespace files {

// Copies from into a new file beside to (beside a link's target), makes it durable, compares it
// with the source and then puts it in place of to in one step. On failure to is untouched,
// nothing is left over and errno tells why. A FIFO or a device is refused (EINVAL): it takes a
// copy with platform::copyFileDirectly.
bool copyFileVerified(const std::string& from, const std::string& to);

}  // namespace files
