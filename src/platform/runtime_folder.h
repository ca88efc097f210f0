#pragma once
// The per-user folder for the program's socket and lock: $XDG_RUNTIME_DIR when it names a
// folder, else a folder "lirveto-<user id>" in the temporary folder that only this user may
// enter. The fallback lives in a folder everyone may write to, so one made beforehand by
// someone else (to read our socket or plant a lock) is refused, not used.
//
// Thread: GUI.

#include <optional>
#include <string>

namespace platform {

// The folder, created (mode 0700) when it is the fallback and missing; nothing, with `error`
// set to why, when the fallback exists but is not a private folder of this user.
std::optional<std::string> runtimeFolder(std::string& error);

// Makes sure `folder` is a folder of this user that no one else may enter: creates it (0700) if
// missing, narrows its mode if it is ours, refuses a link, a file or someone else's folder.
bool makePrivateFolder(const std::string& folder, std::string& error);

}  // namespace platform
