#pragma once
// Whole-file reads and atomic whole-file replacement for the per-user text stores (INI profiles
// and the registry file). A replacement either lands completely or leaves the old file as it was.

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

enum class FileRead {
    Ok,       // contents read
    Missing,  // no such file (or a folder on the way is missing)
    Failed    // exists but cannot be read, or larger than the limit
};

// Reads the whole file into `contents`. Thread: any thread (no shared state).
FileRead readWholeFile(const std::string& path, std::string& contents, std::size_t maxBytes);

// Writes `contents` where a write to `path` goes (platform/write_target.h): for a regular file or
// a new name, to a new file beside it, flushed to disk and renamed over it, so a symbolic link is
// followed and the file it names replaced; a FIFO or a device is written directly. On failure
// the temporary file is removed, the file is untouched and errno tells why. The mode of an
// existing file is kept. Thread: any thread.
bool replaceFileAtomically(const std::string& path, std::string_view contents);

// Creates a new, unused hidden file beside `target` (".NAME.tmpNUMBER" in its folder) with
// `mode`, for a replacement written in parts, and returns it open for writing (-1 with errno set
// on failure). Thread: any thread.
int createTemporaryBeside(const std::string& target, mode_t mode, std::string& tempPath);

}  // namespace platform
