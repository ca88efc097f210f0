#include "platform/backends/qt/qt_shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <iterator>

namespace platform {

namespace {

bool found(const QString& program) {
    return !program.isEmpty() && !QStandardPaths::findExecutable(program).isEmpty();
}

}  // namespace

bool QtShell::browserAvailable() {
    if (QFileInfo::exists(QStringLiteral("/.flatpak-info")) || qEnvironmentVariableIsSet("SNAP")) {
        return true;
    }
    // Qt's handler starts the first of these it finds (some only on their own desktop), so none
    // of them found means that it finds nothing and only says so on stderr.
    QString variable = qEnvironmentVariable("DEFAULT_BROWSER");
    if (variable.isEmpty()) {
        variable = qEnvironmentVariable("BROWSER");
    }
    static const char* const openers[] = {"xdg-open",      "kde-open5", "kfmclient", "gnome-open",
                                          "google-chrome", "firefox",   "mozilla",   "opera"};
    return found(variable) ||
           std::any_of(std::begin(openers), std::end(openers),
                       [](const char* name) { return found(QString::fromLatin1(name)); });
}

bool QtShell::openUrl(const std::string& address) {
    const QUrl url(QString::fromStdString(address), QUrl::TolerantMode);
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool QtShell::isInstalled(const std::string& program) {
    return !QStandardPaths::findExecutable(QString::fromStdString(program)).isEmpty();
}

bool QtShell::startDetached(const std::string& program, const std::vector<std::string>& args) {
    QStringList arguments;
    for (const std::string& arg : args) {
        arguments << QString::fromStdString(arg);
    }
    return QProcess::startDetached(QString::fromStdString(program), arguments);
}

}  // namespace platform
