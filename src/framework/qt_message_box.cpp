#include "framework/qt_message_box.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

namespace framework {

int QtMessageBox::show(const std::string& text, const std::string& caption,
                       platform::MessageBoxStyle style) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return platform::MessageBoxResult::IDCANCEL;
    }
    if (QThread::currentThread() == app->thread()) {
        return showHere(text, caption, style);
    }
    int result = platform::MessageBoxResult::IDCANCEL;
    QMetaObject::invokeMethod(
        app, [&] { result = showHere(text, caption, style); }, Qt::BlockingQueuedConnection);
    return result;
}

int QtMessageBox::showHere(const std::string& text, const std::string& caption,
                           platform::MessageBoxStyle style) {
    QMessageBox box(owner.data());
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    box.setTextFormat(Qt::PlainText);
    switch (style) {
        case platform::MessageBoxStyle::OkExclamation:
            box.setIcon(QMessageBox::Warning);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case platform::MessageBoxStyle::Ok:
            box.setIcon(QMessageBox::NoIcon);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case platform::MessageBoxStyle::YesNoCancelQuestion:
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Yes);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Ok:
            return platform::MessageBoxResult::IDOK;
        case QMessageBox::Yes:
            return platform::MessageBoxResult::IDYES;
        case QMessageBox::No:
            return platform::MessageBoxResult::IDNO;
        default:
            // Closing the box by Escape or its title bar counts as Cancel, or OK for an OK box.
            return style == platform::MessageBoxStyle::YesNoCancelQuestion
                       ? platform::MessageBoxResult::IDCANCEL
                       : platform::MessageBoxResult::IDOK;
    }
}

}  // namespace framework
