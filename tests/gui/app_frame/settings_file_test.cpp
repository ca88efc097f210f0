// "Open settings file..." and "Save settings as..." through a stand-in file dialog.

#include <gtest/gtest.h>

#include <QFile>
#include <QTest>

#include "app/main_menu.h"
#include "frame_fakes.h"
#include "settings/settings_store.h"
#include "support/qt_application.h"

namespace {

using namespace testframe;
namespace command = app::command;

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(AppFixture, SaveSettingsAsWritesTheFileAndLeavesTheRegistryAlone) {
    app::SDIDecFrame* frame = start();
    const QString ini = folder.filePath("mine.ini");
    dialogs.answers << ini;
    settings::Timbre = 6;
    frame->menuAction(command::saveSettingsAs)->trigger();

    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_TRUE(dialogs.calls[0].save);
    EXPECT_EQ(dialogs.calls[0].title, "Save settings as");
    EXPECT_EQ(dialogs.calls[0].filter, "Lirveto settings files (*.ini)");
    EXPECT_EQ(dialogs.calls[0].suffix, "ini");
    const QByteArray text = contents(ini);
    EXPECT_TRUE(text.startsWith("[Version]")) << text.toStdString();
    EXPECT_TRUE(text.contains("Timbre=6"));
    EXPECT_FALSE(text.contains("MidiDriver"));
    EXPECT_FALSE(std::filesystem::exists(registryFile()));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(AppFixture, OpenSettingsFileLoadsItTellsThePagesAndOffersTheNameAgain) {
    app::SDIDecFrame* frame = start();
    const QString ini = folder.filePath("song.ini");
    settings::Pitch = 4;
    ASSERT_TRUE(settings::saveSettings(QFile::encodeName(ini).constData(), messages));
    settings::Pitch = 9;

    dialogs.answers << ini;
    frame->menuAction(command::openSettingsFile)->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(settings::Pitch.load(), 4);
    EXPECT_FALSE(dialogs.calls[0].save);
    EXPECT_EQ(dialogs.calls[0].title, "Open settings file");
    // The tab window hands the news to every page.
    QCoreApplication::processEvents();
    EXPECT_EQ(wavePage->count(page::settingsChanged), 1);
    EXPECT_EQ(midiPage->count(page::settingsChanged), 1);

    // The record keeps the last name for the next dialog, open or save.
    frame->menuAction(command::saveSettingsAs)->trigger();  // cancelled
    ASSERT_EQ(dialogs.calls.size(), 2u);
    EXPECT_EQ(dialogs.calls[1].folder, ini);
    EXPECT_EQ(app->settingsFiles().lastFileName(), ini);

    // Values loaded from a file reach the registry at exit.
    frame->close();
    settings::Pitch = 1;
    settings::loadSettings(nullptr);
    EXPECT_EQ(settings::Pitch.load(), 4);
}

TEST_F(AppFixture, CancellingEitherDialogChangesNothing) {
    app::SDIDecFrame* frame = start();
    settings::Volume = 12;
    frame->menuAction(command::openSettingsFile)->trigger();
    frame->menuAction(command::saveSettingsAs)->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.calls.size(), 2u);
    EXPECT_EQ(settings::Volume.load(), 12);
    EXPECT_EQ(wavePage->count(page::settingsChanged), 0);
    EXPECT_FALSE(std::filesystem::exists(registryFile()));
    EXPECT_TRUE(app->settingsFiles().lastFileName().isEmpty());
}

TEST_F(AppFixture, AFileThatCannotBeReadOrWrittenIsReportedAndChangesNothing) {
    app::SDIDecFrame* frame = start();
    settings::Volume = 21;
    dialogs.answers << folder.filePath("missing.ini") << folder.filePath("no/such/folder.ini");
    frame->menuAction(command::openSettingsFile)->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(settings::Volume.load(), 21);
    EXPECT_EQ(wavePage->count(page::settingsChanged), 0);
    frame->menuAction(command::saveSettingsAs)->trigger();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "Can't read the settings file " +
                                          folder.filePath("missing.ini").toStdString() +
                                          ": No such file or directory.");
    EXPECT_EQ(messages.shown[1].text, "Can't save the settings to " +
                                          folder.filePath("no/such/folder.ini").toStdString() +
                                          ": No such file or directory.");
}

// An empty or unrelated file would set every value to its settings-file default.
TEST_F(AppFixture, AFileWithoutTheVersionSectionIsRefusedAndChangesNothing) {
    app::SDIDecFrame* frame = start();
    const QString empty = folder.filePath("empty.ini");
    ASSERT_TRUE(QFile(empty).open(QIODevice::WriteOnly));
    settings::Pitch = 3;
    settings::Volume = 33;
    dialogs.answers << empty;
    frame->menuAction(command::openSettingsFile)->trigger();
    QCoreApplication::processEvents();

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              empty.toStdString() + " is not a settings file: it has no [Version] section");
    EXPECT_EQ(messages.shown[0].caption, "Open settings file");
    EXPECT_EQ(settings::Pitch.load(), 3);
    EXPECT_EQ(settings::Volume.load(), 33);
    EXPECT_EQ(wavePage->count(page::settingsChanged), 0);
}

}  // namespace
