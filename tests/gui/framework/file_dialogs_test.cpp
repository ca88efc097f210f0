// The system's file choosers: each shows the title its caller gives.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTimer>

#include "framework/qt_file_dialogs.h"
#include "support/qt_application.h"

namespace {

// Cancels the next modal chooser once it shows, noting its title.
void cancelNextChooser(QStringList& titles) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, &titles] {
        auto* chooser = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (chooser == nullptr) {
            return;
        }
        titles << chooser->windowTitle();
        chooser->reject();
        poll->deleteLater();
    });
    poll->start(10);
}

TEST(QtFileDialogs, EachChooserShowsTheTitleItIsGiven) {
    framework::QtFileDialogs dialogs;
    const QString filter = QStringLiteral("Lirveto settings files (*.ini)");
    QStringList titles;
    cancelNextChooser(titles);
    EXPECT_TRUE(dialogs
                    .openFileName(nullptr, QStringLiteral("Open settings file"), filter,
                                  QDir::tempPath(), QStringLiteral("ini"))
                    .isEmpty());
    cancelNextChooser(titles);
    EXPECT_TRUE(dialogs
                    .saveFileName(nullptr, QStringLiteral("Save As"), filter, QDir::tempPath(),
                                  QStringLiteral("ini"))
                    .isEmpty());
    EXPECT_EQ(titles, QStringList({"Open settings file", "Save As"}));
}

}  // namespace
