#include "app/quillhorn_app.h"

#include <QCursor>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <cctype>
#include <map>

#include "app/about_dlg.h"
#include "app/version.h"

namespace app {

namespace {

constexpr std::string_view httpsPrefix = "https://";

bool startsWithHttps(std::string_view address) {
    if (address.size() < httpsPrefix.size()) {
        return false;
    }
    return std::equal(httpsPrefix.begin(), httpsPrefix.end(), address.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

// The bundle beside the program in the build tree, or where `make install` puts it.
QString findHelpBundle(const QString& programPath) {
    const QString folder = QFileInfo(programPath).absolutePath();
    for (const QString& candidate :
         {folder + QStringLiteral("/help"), folder + QStringLiteral("/../share/lirveto/help")}) {
        if (QFileInfo(candidate + QStringLiteral("/index.html")).isFile()) {
            return QFileInfo(candidate).canonicalFilePath();
        }
    }
    return {};
}

const std::vector<LaunchCandidate> noCandidates;

// A query value as an address may carry it: every byte but the unreserved ones as %XX.
std::string percentEncoded(std::string_view text) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += digits[byte >> 4];
            out += digits[byte & 0xF];
        }
    }
    return out;
}

}  // namespace

QuillhornApp::QuillhornApp(platform::Shell& shellService, platform::Help& helpService,
                           const QString& programPath)
    : shell(shellService), help(helpService) {
    const QString bundle = findHelpBundle(programPath);
    if (!bundle.isEmpty()) {
        helpFile = (bundle + QStringLiteral("/index.html")).toStdString();
        contextHelp = (bundle + QStringLiteral("/CSLirveto.txt")).toStdString();
    }
    controls::HelpProvider::setCurrent(this);
}

QuillhornApp::~QuillhornApp() {
    if (controls::HelpProvider::current() == this) {
        controls::HelpProvider::setCurrent(nullptr);
    }
}

std::string QuillhornApp::webAddress(std::string_view address) {
    if (startsWithHttps(address)) {
        return std::string(address);
    }
    return std::string(httpsPrefix) + std::string(address);
}

bool QuillhornApp::openWebAddress(std::string_view address) {
    return openInBrowser(webAddress(address));
}

bool QuillhornApp::openInBrowser(const std::string& address) {
    // As for the mixers: a missing program is named before anything is tried.
    if (!shell.browserAvailable()) {
        if (statusText) {
            statusText(QStringLiteral("No web browser found: install one, or xdg-utils"));
        }
        return false;
    }
    if (shell.openUrl(address)) {
        return true;
    }
    if (statusText) {
        statusText(QStringLiteral("No web browser could be started"));
    }
    return false;
}

bool QuillhornApp::openFolder(const QString& folder) {
    if (shell.openUrl(QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded).toStdString())) {
        return true;
    }
    if (statusText) {
        statusText(QStringLiteral("%1 could not be shown: no file manager was found").arg(folder));
    }
    return false;
}

std::string QuillhornApp::updateAddress() const {
    std::string address = "https://" + makerHost() + "/update.py?product=Lirveto&version=";
    const ProjectRCVersion version;
    const char* text = nullptr;
    if (version.productVersion(text)) {
        address += percentEncoded(text);
    }
    return address;
}

std::string QuillhornApp::productPageAddress() {
    return "https://" + makerHost() + "/lirveto.htm";
}

std::string QuillhornApp::makerSiteAddress() {
    return "https://" + makerHost();
}

const std::vector<LaunchCandidate>& QuillhornApp::launchCandidates(int commandId) {
    static const std::map<int, std::vector<LaunchCandidate>> table = {
        {command::mixerPlay,
         {{"pavucontrol", {"-t", "1"}},
          {"pwvucontrol", {}},
          {"gnome-control-center", {"sound"}},
          {"systemsettings", {"kcm_pulseaudio"}},
          {"x-terminal-emulator", {"-e", "alsamixer"}, "alsamixer"}}},
        {command::mixerRecord,
         {{"pavucontrol", {"-t", "2"}},
          {"pwvucontrol", {}},
          {"gnome-control-center", {"sound"}},
          {"systemsettings", {"kcm_pulseaudio"}},
          {"x-terminal-emulator", {"-e", "alsamixer", "-V", "capture"}, "alsamixer"}}},
        {command::mixerVolume,
         {{"pavucontrol", {"-t", "3"}},
          {"pwvucontrol", {}},
          {"gnome-control-center", {"sound"}},
          {"systemsettings", {"kcm_pulseaudio"}},
          {"x-terminal-emulator", {"-e", "alsamixer"}, "alsamixer"}}},
        {command::multimediaProperties,
         {{"gnome-control-center", {"sound"}},
          {"systemsettings", {"kcm_pulseaudio"}},
          {"pavucontrol", {"-t", "5"}},
          {"x-terminal-emulator", {"-e", "alsamixer"}, "alsamixer"}}},
    };
    const auto found = table.find(commandId);
    return found != table.end() ? found->second : noCandidates;
}

bool QuillhornApp::launch(int commandId) {
    std::string refused;  // an installed program that would not start
    for (const LaunchCandidate& candidate : launchCandidates(commandId)) {
        if (!shell.isInstalled(candidate.program) ||
            (!candidate.needs.empty() && !shell.isInstalled(candidate.needs))) {
            continue;
        }
        if (shell.startDetached(candidate.program, candidate.args)) {
            return true;
        }
        if (refused.empty()) {
            refused = candidate.program;
        }
    }
    if (!statusText) {
        return false;
    }
    if (!refused.empty()) {
        statusText(QStringLiteral("%1 could not be started").arg(QString::fromStdString(refused)));
    } else if (commandId == command::multimediaProperties) {
        statusText(
            QStringLiteral("No sound settings program found: install pavucontrol or alsa-utils"));
    } else {
        statusText(QStringLiteral("No mixer found: install pavucontrol or alsa-utils"));
    }
    return false;
}

void QuillhornApp::showAbout() {
    AboutDlg box(mainWindow, [this](const std::string& address) { openInBrowser(address); });
    box.exec();
}

bool QuillhornApp::runCommand(int id) {
    switch (id) {
        case command::helpContents:
            if (helpFile.empty() && statusText) {
                statusText(QStringLiteral("The help files are not installed"));
            }
            help.displayTopic(helpFile, {});
            return true;
        case command::about:
            showAbout();
            return true;
        case command::productPage:
            openWebAddress(productPageAddress());
            return true;
        case command::makerSite:
            openWebAddress(makerSiteAddress());
            return true;
        case command::checkForUpdates:
            openWebAddress(updateAddress());
            return true;
        case command::mixerPlay:
        case command::mixerRecord:
        case command::mixerVolume:
        case command::multimediaProperties:
            launch(id);
            return true;
        default:
            return false;
    }
}

bool QuillhornApp::showHelpPopup(std::uint32_t helpId, int x, int y) {
    platform::HelpPopup popup;
    popup.idString = helpId;
    popup.x = x;
    popup.y = y;
    return help.displayTextPopup(contextHelp, popup);
}

bool QuillhornApp::showHelpContext(std::uint32_t context) {
    return help.helpContext(helpFile, context);
}

bool QuillhornApp::showHelpTopic(const std::string& topic) {
    return help.displayTopic(helpFile, topic);
}

}  // namespace app
