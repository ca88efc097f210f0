#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>

#include "platform/path_folder.h"
#include "platform/write_target.h"

namespace platform {

namespace {

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

int createTemporaryBeside(const std::string& target, mode_t mode, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    const std::string dir = folderOf(target);
    const auto slash = target.rfind('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned long stamp = static_cast<unsigned long>(::time(nullptr)) ^
                                    (static_cast<unsigned long>(::getpid()) << 16) ^
                                    (counter.fetch_add(1) * 2654435761UL);
        tempPath = dir;
        tempPath.append("/.").append(base).append(".tmp").append(
            std::to_string(stamp % 1000000007UL));
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

FileRead readWholeFile(const std::string& path, std::string& contents, std::size_t maxBytes) {
    contents.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return (errno == ENOENT || errno == ENOTDIR) ? FileRead::Missing : FileRead::Failed;
    }
    FileRead result = FileRead::Ok;
    char chunk[8192];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            result = FileRead::Failed;
            break;
        }
        if (got == 0) {
            break;
        }
        if (contents.size() + static_cast<std::size_t>(got) > maxBytes) {
            result = FileRead::Failed;
            break;
        }
        contents.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (result != FileRead::Ok) {
        contents.clear();
    }
    return result;
}

bool replaceFileAtomically(const std::string& path, std::string_view contents) {
    WriteTarget where;
    if (!resolveWriteTarget(path, where)) {
        return false;
    }
    if (where.method == WriteMethod::Direct) {
        return writeDirectly(where, contents);
    }
    const std::string& target = where.path;
    mode_t mode = 0666;  // narrowed by the umask for a new file
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    }
    std::string tempPath;
    const int fd = createTemporaryBeside(target, mode, tempPath);
    if (fd < 0) {
        return false;
    }
    bool ok = writeAll(fd, contents) && ::fsync(fd) == 0;
    if (ok && existing.st_mode != 0) {
        ok = ::fchmod(fd, mode) == 0 || errno == EPERM;
    }
    ok = (::close(fd) == 0) && ok;
    if (ok) {
        ok = ::rename(tempPath.c_str(), target.c_str()) == 0;
    }
    if (!ok) {
        const int reason = errno;
        ::unlink(tempPath.c_str());
        errno = reason;
        return false;
    }
    // Make the rename itself durable; a failure here does not undo a completed replacement.
    const int dirFd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

}  // namespace platform
