#pragma once
// The program's command line: the start-up switch "/p" or "-p" (any case), --help, --version.
// Every other argument is left to Qt, which takes its own options and ignores the rest.

#include <cstdint>
#include <string>
#include <string_view>

namespace app {

// 1 when the program was started with the switch, else 0. Recorded at start-up; nothing
// consults it yet. GUI thread.
inline int32_t startUpSwitch = 0;

struct CommandLine {
    enum class Action { run, help, version };
    Action action = Action::run;
    bool startSwitch = false;
};

// argv[0] is the program name.
CommandLine parseCommandLine(int argc, const char* const* argv);
bool isStartSwitch(std::string_view argument);

// The text --help prints.
std::string usageText();
// The text --version prints.
std::string versionText();

}  // namespace app
