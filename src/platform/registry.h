#pragma once
// The current user's registry key Software\Quillhorn\Lirveto, kept in one file:
// $XDG_CONFIG_HOME/Quillhorn/Lirveto.reg (~/.config when the variable is unset), in the REGEDIT4
// text form. A damaged or unreadable file reads as a missing key: it is renamed aside (at most
// three such copies are kept, the oldest replaced) and one warning line goes to stderr. A single
// value whose data is unreadable is left out, so that it reads as its default.
//
// Thread: GUI (every operation here); a key object is not shared.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/registry_file.h"

namespace platform {

enum class RegResult {
    Success,
    NotFound,  // no such value
    MoreData,  // the value is larger than the caller's buffer
    Failed     // bad arguments, a key opened for reading, or the file could not be written
};

// Where the key lives, from the environment at the time of the call; nothing when neither
// XDG_CONFIG_HOME nor a home folder is known.
std::optional<std::string> registryFilePath();

// What the user should be told about the store since the last call (a damaged file set aside,
// values left out), as one short line; empty when all was well. Clears it.
std::string takeRegistryNotice();

class RegistryKey {
  public:
    // Opens the key for reading; null when it does not exist.
    static std::unique_ptr<RegistryKey> openForReading();

    // Creates the key or opens it for writing, writing the file at once so that a place that
    // cannot be written is found now; null on failure (errno tells why), with any existing file
    // untouched.
    static std::unique_ptr<RegistryKey> createForWriting();

    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey();

    // Copies the value into `data` (which may be null to learn the size), setting `*size` to the
    // value's size and `*type` (if not null) to its stored type. MoreData when `*size` is too
    // small; the type is not checked against what the caller expects.
    RegResult queryValue(const char* name, uint32_t* type, void* data, uint32_t* size) const;

    // Sets a value in a key opened for writing; it reaches the file when the key is closed.
    RegResult setValue(const char* name, uint32_t type, const void* data, uint32_t size);

    // Writes the changed values into the file as one atomic replacement (the old file stays
    // whole when that fails, and errno tells why). Closing again does nothing; the destructor
    // closes.
    RegResult close();

  private:
    RegistryKey(std::string path, RegistryContents contents, bool writable);

    std::string path;
    RegistryContents contents;
    bool writable;
    bool dirty = false;
    bool closed = false;
};

}  // namespace platform
