#include "platform/runtime_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/temp_file_name.h"

namespace platform {

namespace {

std::string systemReason(int number) {
    return std::strerror(number);  // NOLINT(concurrency-mt-unsafe): GUI thread
}

}  // namespace

bool makePrivateFolder(const std::string& folder, std::string& error) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create " + folder + ": " + systemReason(errno);
        return false;
    }
    // Opened without following a link, then checked and narrowed through the same descriptor,
    // so the folder cannot be swapped between the check and the use.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        error = folder + " is not a folder: " + systemReason(errno);
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    if (!ok) {
        error = "cannot examine " + folder + ": " + systemReason(errno);
    } else if (info.st_uid != ::getuid()) {
        error = folder + " belongs to another user";
        ok = false;
    } else if ((info.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0) {
        error = folder + " is open to other users: " + systemReason(errno);
        ok = false;
    }
    ::close(fd);
    return ok;
}

std::optional<std::string> runtimeFolder(std::string& error) {
    // The environment is read on the GUI thread only.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");  // NOLINT(concurrency-mt-unsafe)
    struct stat info {};
    if (runtime != nullptr && runtime[0] == '/' && ::stat(runtime, &info) == 0 &&
        S_ISDIR(info.st_mode)) {
        return std::string(runtime);
    }
    std::string folder = getTempPath() + "lirveto-" + std::to_string(::getuid());
    if (!makePrivateFolder(folder, error)) {
        return std::nullopt;
    }
    return folder;
}

}  // namespace platform
