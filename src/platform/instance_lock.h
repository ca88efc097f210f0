#pragma once
// A lock file held for as long as its owner lives: the one-instance rule of the program. Taking
// it is atomic (flock), and the system drops it when the process ends however it ends, so a
// crashed run never leaves it held. The file itself is never removed: removing a lock file
// lets two processes each hold a lock on a different file of the same name.
//
// Thread: GUI.

#include <string>

namespace platform {

class InstanceLock {
  public:
    // Opens (creating, mode 0600) `path` and tries once to take it without waiting.
    explicit InstanceLock(const std::string& path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Tries again to take the lock; true when this object holds it.
    bool tryTake();
    bool held() const { return isHeld; }
    // The system's reason when the file could not be opened at all; empty otherwise.
    const std::string& openError() const { return error; }

  private:
    int fd = -1;
    bool isHeld = false;
    std::string error;
};

}  // namespace platform
