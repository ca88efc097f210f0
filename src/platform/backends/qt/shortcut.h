#pragma once
// CShortcut: a launcher for a program in the user's menu of applications, written as an XDG
// desktop entry. The quick-launch folder is the user's applications folder
// ($XDG_DATA_HOME/applications); a link named "Lirveto" is the file Lirveto.desktop there.
// Failures come back only as results, never as boxes. Thread: GUI.

#include <string>

namespace platform {

class CShortcut {
  public:
    // Folder codes: the user's applications folder, the application-data folder
    // ($XDG_DATA_HOME) and the desktop.
    static constexpr int quickLaunch = 2457;
    static constexpr int appData = 26;
    static constexpr int desktop = 16;
    static constexpr std::size_t maxArguments = 259;

    CShortcut() = default;
    virtual ~CShortcut() = default;

    // Command-line arguments given to new links when not empty; cut to maxArguments.
    void setArguments(const std::string& text);
    const std::string& arguments() const { return args; }

    // The folder's path, ending in "/"; false when it cannot be found.
    bool folderPath(int folder, std::string& path) const;

    // Writes (or overwrites) the link; target "_this" (any case) is the running program.
    bool createLink(const std::string& target, const std::string& linkName, int folder,
                    const std::string& description, const std::string& iconFile = {},
                    int iconIndex = 0);

    // 0: the link exists and names a program that exists; 1: no such folder; negative: the
    // link cannot be used (-errno: missing, unreadable, not a launcher, its program is gone).
    int findLink(const std::string& linkName, int folder, std::string& targetPath,
                 std::string& description) const;

    // True when the link file was there and is gone.
    bool deleteLink(const std::string& linkName, int folder);

    // The file a link is kept in.
    std::string linkPath(const std::string& linkName, int folder) const;

  private:
    std::string args;
};

// One argument of an Exec line, quoted where the desktop-entry rules require it.
std::string quoteExecArgument(const std::string& argument);
// The first argument of an Exec value (the program), undoing quoting; empty when malformed.
std::string firstExecArgument(const std::string& execValue);

}  // namespace platform
