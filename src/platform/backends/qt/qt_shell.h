#pragma once
// The shell over Qt: the desktop's URL handler and detached processes.
//
// Thread: GUI, every operation.

#include "platform/shell.h"

namespace platform {

class QtShell : public Shell {
  public:
    // The programs Qt's handler of web addresses starts on Linux, found on the PATH; or a
    // sandbox whose desktop portal takes the address.
    bool browserAvailable() override;
    bool openUrl(const std::string& address) override;
    bool isInstalled(const std::string& program) override;
    bool startDetached(const std::string& program, const std::vector<std::string>& args) override;
};

}  // namespace platform
