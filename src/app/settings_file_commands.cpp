#include "app/settings_file_commands.h"

#include <QDir>
#include <cerrno>
#include <system_error>

#include "framework/message_event.h"
#include "settings/settings_store.h"

namespace app {

SettingsFileCommands::SettingsFileCommands(framework::FileDialogs& fileDialogs,
                                           platform::MessageBox& messageBox)
    : dialogs(fileDialogs), messages(messageBox) {}

QString SettingsFileCommands::startingPoint() const {
    return lastName.isEmpty() ? QDir::homePath() : lastName;
}

bool SettingsFileCommands::openSettingsFile(QWidget* owner, QObject* tabWindow) {
    const QString chosen =
        dialogs.openFileName(owner, QString::fromUtf8(openTitle), QString::fromUtf8(filter),
                             startingPoint(), QString::fromUtf8(defaultExtension));
    if (chosen.isEmpty()) {
        return false;
    }
    lastName = chosen;
    const QByteArray name = QFile::encodeName(chosen);
    settings::SettingsFileFault fault = settings::SettingsFileFault::none;
    errno = 0;
    if (!settings::loadSettings(name.constData(), &fault)) {
        const int why = errno;
        messages.show(settings::settingsFileFaultText(fault, chosen.toStdString(), why), openTitle,
                      platform::MessageBoxStyle::OkExclamation);
        return false;
    }
    framework::postMessage(tabWindow, framework::page::settingsChanged);
    return true;
}

bool SettingsFileCommands::saveSettingsAs(QWidget* owner) {
    const QString chosen =
        dialogs.saveFileName(owner, QString::fromUtf8(saveTitle), QString::fromUtf8(filter),
                             startingPoint(), QString::fromUtf8(defaultExtension));
    if (chosen.isEmpty()) {
        return false;
    }
    lastName = chosen;
    const QByteArray name = QFile::encodeName(chosen);
    errno = 0;
    if (!settings::saveSettings(name.constData(), messages)) {
        // Every value is written alike, so the last failed write's reason is that of them all.
        const int why = errno;
        messages.show("Can't save the settings to " + chosen.toStdString() +
                          (why != 0 ? ": " + std::generic_category().message(why) : "") + ".",
                      saveTitle, platform::MessageBoxStyle::OkExclamation);
        return false;
    }
    return true;
}

}  // namespace app
