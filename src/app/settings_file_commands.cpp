#include "app/settings_file_commands.h"

#include <QDir>

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
    if (!settings::loadSettings(name.constData(), &fault)) {
        messages.show(settings::settingsFileFaultText(fault, chosen.toStdString()), openTitle,
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
    if (!settings::saveSettings(name.constData(), messages)) {
        messages.show("can't write the settings file " + chosen.toStdString(), saveTitle,
                      platform::MessageBoxStyle::OkExclamation);
        return false;
    }
    return true;
}

}  // namespace app
