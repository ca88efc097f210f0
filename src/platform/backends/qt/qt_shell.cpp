#include "platform/backends/qt/qt_shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

namespace platform {

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
