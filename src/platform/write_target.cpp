#include "platform/write_target.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <utility>
#include <vector>

#include "platform/path_folder.h"

namespace platform {

namespace {

// As the system's own limit on links followed in one path.
constexpr int kMostLinks = 40;
constexpr size_t kBlockBytes = size_t{64} * 1024;

// A reader that goes away must fail the write, not end the program: SIGPIPE is held back in
// this thread while it writes, and one that the write raised is taken before it is let through.
class BrokenPipeHeld {
  public:
    BrokenPipeHeld() {
        sigemptyset(&pipeOnly);
        sigaddset(&pipeOnly, SIGPIPE);
        sigset_t pending;
        alreadyPending = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipeOnly, &before);
    }
    ~BrokenPipeHeld() {
        const int reason = errno;
        if (!alreadyPending) {
            const timespec none{};
            while (sigtimedwait(&pipeOnly, nullptr, &none) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
        errno = reason;
    }
    BrokenPipeHeld(const BrokenPipeHeld&) = delete;
    BrokenPipeHeld& operator=(const BrokenPipeHeld&) = delete;

  private:
    sigset_t pipeOnly{};
    sigset_t before{};
    bool alreadyPending = false;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool copyAll(int source, int target) {
    std::vector<char> block(kBlockBytes);
    for (;;) {
        const ssize_t got = ::read(source, block.data(), block.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        if (!writeAll(target, std::string_view(block.data(), static_cast<size_t>(got)))) {
            return false;
        }
    }
}

// Standard output stays open: the caller's descriptor is not ours to close.
int openTarget(const WriteTarget& target) {
    if (target.isStandardOutput()) {
        return STDOUT_FILENO;
    }
    int fd = -1;
    do {
        fd = ::open(target.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool closeTarget(const WriteTarget& target, int fd, bool ok) {
    if (target.isStandardOutput()) {
        return ok;
    }
    const int reason = errno;
    const bool closed = ::close(fd) == 0 || errno == EINTR;
    if (!ok) {
        errno = reason;
    }
    return ok && closed;
}

}  // namespace

bool resolveWriteTarget(const std::string& path, WriteTarget& target) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    if (path == "-") {
        target = WriteTarget{WriteMethod::Direct, {}};
        return true;
    }
    std::string current = path;
    for (int links = 0; links <= kMostLinks; ++links) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno != ENOENT) {
                return false;
            }
            // A new name; a missing folder on the way fails when the file is made.
            target = WriteTarget{WriteMethod::Replace, current};
            return true;
        }
        if (S_ISLNK(info.st_mode)) {
            std::string linked(static_cast<size_t>(info.st_size > 0 ? info.st_size : 4096), '\0');
            const ssize_t length = ::readlink(current.c_str(), linked.data(), linked.size());
            if (length < 0) {
                return false;
            }
            linked.resize(static_cast<size_t>(length));
            if (!linked.starts_with('/')) {
                linked.insert(0, folderOf(current) + "/");
            }
            current = std::move(linked);
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            errno = EISDIR;
            return false;
        }
        target = WriteTarget{S_ISREG(info.st_mode) ? WriteMethod::Replace : WriteMethod::Direct,
                             current};
        return true;
    }
    errno = ELOOP;
    return false;
}

bool writeDirectly(const WriteTarget& target, std::string_view bytes) {
    const BrokenPipeHeld held;
    const int fd = openTarget(target);
    if (fd < 0) {
        return false;
    }
    return closeTarget(target, fd, writeAll(fd, bytes));
}

bool copyFileDirectly(const std::string& from, const WriteTarget& target) {
    const int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) {
        return false;
    }
    bool ok = false;
    {
        const BrokenPipeHeld held;
        const int fd = openTarget(target);
        if (fd >= 0) {
            ok = closeTarget(target, fd, copyAll(source, fd));
        }
    }
    const int reason = errno;
    ::close(source);
    errno = reason;
    return ok;
}

}  // namespace platform
