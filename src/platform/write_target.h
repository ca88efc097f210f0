#pragma once
// Where a write to a path really goes, and how: the one rule for every file the program and its
// tools write. A regular file or a new name is replaced atomically (written beside it, then
// renamed over it). A symbolic link is followed to its last target, which is then treated the
// same way, so the link stays a link. A FIFO, a device and "-" (standard output) are written
// directly: renaming over them would put a plain file in their place.
//
// Thread: any thread but audio (every function here). Nothing is kept between calls.

#include <string>
#include <string_view>

namespace platform {

enum class WriteMethod {
    Replace,  // write a new file in the target's folder, then rename it over the target
    Direct    // open the target (or standard output) as it is and write into it
};

struct WriteTarget {
    WriteMethod method = WriteMethod::Replace;
    // The file the bytes end up in: the path itself or the last target of its links. Empty for
    // standard output.
    std::string path;

    bool isStandardOutput() const { return method == WriteMethod::Direct && path.empty(); }
};

// False with errno set when nothing can be written there: EISDIR for a folder, ELOOP for links
// that lead in a circle, ENOENT for an empty path, or what the system said about the path. A
// name that does not exist yet (a dangling link's target included) is a Replace target.
bool resolveWriteTarget(const std::string& path, WriteTarget& target);

// Writes `bytes` into a Direct target: a FIFO waits for its reader, standard output is written
// where it stands. False with errno set when the target could not be opened or took fewer bytes.
bool writeDirectly(const WriteTarget& target, std::string_view bytes);

// Copies the whole file `from` into a Direct target, as writeDirectly does.
bool copyFileDirectly(const std::string& from, const WriteTarget& target);

}  // namespace platform
