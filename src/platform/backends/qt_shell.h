#pragma once
// The shell over Qt: the desktop's URL handler and detached processes.
//
// Thread: GUI, every operation.

#include "platform/shell.h"

namespace platform {

class QtShell : public Shell {
  public:
    bool openUrl(const std::string& address) override;
    bool isInstalled(const std::string& program) override;
    bool startDetached(const std::string& program, const std::vector<std::string>& args) override;
};

}  // namespace platform
