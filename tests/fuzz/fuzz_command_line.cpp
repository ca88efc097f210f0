// Lirveto's own command line: whatever Qt options or stray words come along, the program runs
// unless --help or --version asks otherwise, and only the first argument gives the switch.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/command_line.h"
#include "argument_list.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ArgumentList arguments(data, size);
    const app::CommandLine line = app::parseCommandLine(arguments.count(), arguments.values());

    bool asksHelp = false;
    bool asksVersion = false;
    for (int i = 1; i < arguments.count(); ++i) {
        const std::string_view word = arguments.at(static_cast<size_t>(i));
        asksHelp = asksHelp || word == "--help" || word == "-h";
        asksVersion = asksVersion || word == "--version";
    }
    check((line.action == app::CommandLine::Action::run) == (!asksHelp && !asksVersion));
    check(line.action != app::CommandLine::Action::help || asksHelp);
    check(line.action != app::CommandLine::Action::version || asksVersion);
    check(line.startSwitch == (arguments.count() > 1 && app::isStartSwitch(arguments.at(1))));
    return 0;
}
