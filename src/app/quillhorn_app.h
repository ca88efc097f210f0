#pragma once
// QuillhornApp: the application base. It finds the help bundle, answers the Help menu's commands
// and starts the mixers and sound settings; App derives from it.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/help_provider.h"
#include "platform/help.h"
#include "platform/shell.h"

namespace app {

// One way of showing a mixer or settings window: a program and its arguments.
struct LaunchCandidate {
    std::string program;
    std::vector<std::string> args;
    std::string needs = {};  // another program the command line runs (alsamixer in a terminal)
};

namespace command {
inline constexpr int helpContents = 2001;
inline constexpr int about = 2009;
inline constexpr int mixerVolume = 25003;
inline constexpr int multimediaProperties = 25015;
inline constexpr int mixerPlay = 25016;
inline constexpr int mixerRecord = 25992;
inline constexpr int productPage = 25996;
inline constexpr int makerSite = 25997;
inline constexpr int checkForUpdates = 25998;
}  // namespace command

class QuillhornApp : public QObject, public controls::HelpProvider {
  public:
    // `programPath` is the running program's file; the help bundle is looked for beside it.
    // The object registers itself as the help provider while it lives. GUI thread.
    QuillhornApp(platform::Shell& shell, platform::Help& help, const QString& programPath);
    ~QuillhornApp() override;

    // "<bundle>/index.html" and "<bundle>/CSLirveto.txt", both empty without a bundle.
    const std::string& helpFilePath() const { return helpFile; }
    const std::string& contextHelpPath() const { return contextHelp; }

    void setMainWindow(QWidget* window) { mainWindow = window; }
    // Where "no mixer found" and similar notes go (the status bar).
    void setStatusText(std::function<void(const QString&)> sink) { statusText = std::move(sink); }

    // Runs one of the commands above; false when the id is not one of them. GUI thread.
    bool runCommand(int id);

    // The address with "https://" put in front unless it starts so (in any case).
    static std::string webAddress(std::string_view address);
    bool openWebAddress(std::string_view address);
    // Shows the folder in the desktop's file manager; says on the status line when none took it.
    bool openFolder(const QString& folder);
    std::string updateAddress() const;
    static std::string productPageAddress();
    static std::string makerSiteAddress();

    // The programs tried in order for a mixer or settings command.
    static const std::vector<LaunchCandidate>& launchCandidates(int commandId);
    // Starts the first installed candidate; says so on the status line when none is.
    bool launch(int commandId);

    void showAbout();

    bool showHelpPopup(std::uint32_t helpId, int x, int y) override;
    bool showHelpContext(std::uint32_t context) override;
    bool showHelpTopic(const std::string& topic) override;

  private:
    // Opens the address as it stands; says on the status line when no browser is found or none
    // took it.
    bool openInBrowser(const std::string& address);

    platform::Shell& shell;
    platform::Help& help;
    std::string helpFile;
    std::string contextHelp;
    QPointer<QWidget> mainWindow;
    std::function<void(const QString&)> statusText;
};

}  // namespace app
