#include "app/command_line.h"

#include "app/version.h"

namespace app {

bool isStartSwitch(std::string_view argument) {
    return argument.size() == 2 && (argument[0] == '/' || argument[0] == '-') &&
           (argument[1] == 'p' || argument[1] == 'P');
}

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    // Only the first argument gives the switch.
    line.startSwitch = argc > 1 && isStartSwitch(argv[1]);
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            line.action = CommandLine::Action::help;
            return line;
        }
        if (argument == "--version") {
            line.action = CommandLine::Action::version;
            return line;
        }
        // Anything else is Qt's (-platform, -style and their values) or ignored: the program runs.
    }
    return line;
}

std::string usageText() {
    return "Usage: lirveto [-p] [--help] [--version]\n"
           "A mouse-played instrument: while it plays, the pointer's horizontal position sets the\n"
           "pitch and its vertical position the loudness. Space starts and stops the tone.\n"
           "\n"
           "  -p, /p       start-up switch (accepted and recorded)\n"
           "  -h, --help   show this text and exit\n"
           "  --version    show the version and exit\n"
           "Qt's own options (-platform, -style, ...) are passed to Qt; other arguments are "
           "ignored.\n"
           "\n"
           "Settings: $XDG_CONFIG_HOME/Quillhorn/Lirveto.reg (~/.config when unset).\n"
           "Only one Lirveto runs per user: starting it again brings the running one to the "
           "front.\n";
}

std::string versionText() {
    return "Lirveto " + productVersionText() + "\n";
}

}  // namespace app
