#include "framework/qt_file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace framework {

namespace {

QString choose(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QString QtFileDialogs::openFileName(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& folder, const QString& defaultSuffix) {
    QFileDialog dialog(parent, title, QDir(folder).absolutePath(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    return choose(dialog);
}

QString QtFileDialogs::saveFileName(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& folder, const QString& defaultSuffix) {
    QFileDialog dialog(parent, title, QDir(folder).absolutePath(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    for (;;) {
        QString name = choose(dialog);
        if (name.isEmpty() || QFileInfo(name).absoluteDir().exists()) {
            return name;
        }
        // A native chooser may let a path through whose folder is gone.
        QMessageBox::warning(parent, dialog.windowTitle(),
                             QObject::tr("The folder of %1 does not exist.").arg(name));
    }
}

}  // namespace framework
