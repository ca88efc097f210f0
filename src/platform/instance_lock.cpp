#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

InstanceLock::InstanceLock(const std::string& path) {
    // Close-on-exec: a browser or mixer started later must not keep the lock after we quit.
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error = std::strerror(errno);  // NOLINT(concurrency-mt-unsafe): GUI thread
        return;
    }
    tryTake();
}

InstanceLock::~InstanceLock() {
    if (fd >= 0) {
        ::close(fd);  // drops the lock
    }
}

bool InstanceLock::tryTake() {
    if (fd < 0 || isHeld) {
        return isHeld;
    }
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    isHeld = result == 0;
    return isHeld;
}

}  // namespace platform
