#pragma once
// RescueNotice: tells a start which recordings endings by signal kept, and where: the folder and
// every file name in full, with a button that shows the folder in the desktop's file manager.
//
// Thread: GUI.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

class QLabel;

namespace app {

class RescueNotice : public QDialog {
  public:
    // `recordings` are full paths, at least one; `showFolder` opens a folder in the file manager.
    // Window-modal: it is opened with open(), so no event loop runs inside it.
    RescueNotice(QWidget* parent, const QStringList& recordings,
                 std::function<void(const QString&)> showFolder);

    // The text as shown.
    QString message() const;
    // The folder Open Folder shows: that of the first recording.
    const QString& folder() const { return firstFolder; }

    // The folder and each recording's file name on a line of its own; a recording that could not
    // be moved there follows under the folder where it stayed.
    static QString text(const QStringList& recordings);

  private:
    QLabel* label;
    QString firstFolder;
};

}  // namespace app
