#pragma once
// The folder part of a file name, for creating a file beside another one.
//
// Thread: any thread.

#include <string>

namespace platform {

// "." for a bare name, "/" for a file in the root folder.
inline std::string folderOf(const std::string& name) {
    const auto slash = name.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : name.substr(0, slash);
}

}  // namespace platform
