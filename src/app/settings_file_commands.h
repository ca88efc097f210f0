#pragma once
// "Open settings file..." and "Save settings as...": the settings in an INI file the user names.
// Both share one dialog record, so the last chosen name is offered again.

#include <QObject>
#include <QString>
#include <QWidget>

#include "framework/page_services.h"
#include "platform/message_box.h"

namespace app {

class SettingsFileCommands {
  public:
    static constexpr const char* filter = "Lirveto settings files (*.ini)";
    static constexpr const char* defaultExtension = "ini";
    // The dialogs' titles, and the captions of the boxes that report their failures.
    static constexpr const char* openTitle = "Open settings file";
    static constexpr const char* saveTitle = "Save settings as";

    SettingsFileCommands(framework::FileDialogs& dialogs, platform::MessageBox& messages);

    // Loads the chosen file, then posts the settings-changed message to `tabWindow` so that the
    // pages show the new values. False when cancelled, or when the file could not be read or is
    // no settings file (said in a message box; nothing changes). GUI thread.
    bool openSettingsFile(QWidget* owner, QObject* tabWindow);
    // Saves every setting into the chosen file; the registry is not touched. GUI thread.
    bool saveSettingsAs(QWidget* owner);

    const QString& lastFileName() const { return lastName; }

  private:
    QString startingPoint() const;

    framework::FileDialogs& dialogs;
    platform::MessageBox& messages;
    QString lastName;
};

}  // namespace app
