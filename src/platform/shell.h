#pragma once
// Starting things outside the program: the browser and other programs (mixers, settings).

#include <string>
#include <vector>

namespace platform {

class Shell {
  public:
    virtual ~Shell() = default;

    // True when a web browser, or a program that opens web addresses in one, can be found;
    // false means that openUrl would find none. Thread: GUI.
    virtual bool browserAvailable() = 0;

    // Opens the address in the user's browser; false when nothing took it. Thread: GUI.
    virtual bool openUrl(const std::string& address) = 0;

    // True when `program` is found on the PATH (or is an executable path). Thread: GUI.
    virtual bool isInstalled(const std::string& program) = 0;

    // Starts the program detached, not waiting for it; false when it could not start.
    // Thread: GUI.
    virtual bool startDetached(const std::string& program,
                               const std::vector<std::string>& args) = 0;
};

}  // namespace platform
