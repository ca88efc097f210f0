// How the program ends: an accepted close ends it whatever else is open, and a signal ends it
// without a question and without losing an unnamed recording.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "app/app.h"
#include "app/main_menu.h"
#include "app/rescue_notice.h"
#include "files/wave_file.h"
#include "frame_fakes.h"
#include "gui/wave_page/page_fixture.h"
#include "settings/settings_store.h"
#include "support/scoped_environment_variable.h"

namespace {

using namespace testframe;
namespace command = app::command;

// Runs the event loop as main does until the program ends it; 1 if it is still running after
// a few seconds.
int runUntilEnded() {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(5000);
    return QApplication::exec();
}

TEST_F(AppFixture, AnAcceptedCloseEndsTheProgramWhateverOtherWindowsAreOpen) {
    app::SDIDecFrame* frame = start();
    QWidget helpViewer;  // a window of its own, as the help viewer is
    helpViewer.show();
    QTimer::singleShot(0, frame, [frame] { frame->menuAction(command::exit)->trigger(); });
    EXPECT_EQ(runUntilEnded(), 0);
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(wavePage->count(page::stop), 1);
    EXPECT_EQ(midiPage->count(page::stop), 1);
}

TEST_F(AppFixture, ASignalWhileAModalBoxIsOpenEndsTheProgramToo) {
    start();
    QTimer::singleShot(0, [this] {
        QDialog about(app->frame());  // the About box, or any box the program waits on
        QTimer::singleShot(50, &about, [this] { app->endOnSignal(); });
        about.exec();
    });
    EXPECT_EQ(runUntilEnded(), 0);
    EXPECT_EQ(wavePage->count(page::stop), 1);
}

// The real Wave page, recording through a fake output, in private settings and data folders.
class SignalEnding : public ::testing::Test {
  protected:
    SignalEnding() {
        config.set(folder.filePath(QStringLiteral("config")).toStdString());
        data.set(folder.filePath(QStringLiteral("data")).toStdString());
        temporary.set(folder.path().toStdString());
        settings::PlayOnStart = false;
        settings::MinimizeOnStart = false;
    }
    ~SignalEnding() override { app.reset(); }

    void startApp() {
        app = std::make_unique<app::App>(services, [](PageServices& pageServices) {
            std::vector<std::unique_ptr<QWidget>> list;
            list.push_back(std::make_unique<pages::WavePage>(nullptr, pageServices));
            return list;
        });
        app->initMainWindow();
        // As on a desktop: the window manager has placed the frame.
        EXPECT_TRUE(QTest::qWaitForWindowExposed(app->frame()));
        QCoreApplication::processEvents();
    }

    ScopedToneSettings savedSettings;
    QTemporaryDir folder;
    testing_support::ScopedEnvironmentVariable config{"XDG_CONFIG_HOME"};
    testing_support::ScopedEnvironmentVariable data{"XDG_DATA_HOME"};
    testing_support::ScopedEnvironmentVariable temporary{"TMPDIR"};
    testapp::RecordingShell shell;
    testapp::RecordingHelp help;
    testing_support::RecordingMessageBox messages;
    testing_support::ScriptedCursor cursor{{500, 100}, {1000, 800}};
    FakeFileDialogs dialogs;
    testing_support::FakeWaveOut out;
    app::AppServices services{
        shell, help, QStringLiteral("/nonexistent/lirveto"), messages, cursor, dialogs, [this] {
            return std::make_unique<wavepagetest::ForwardingWaveOut>(out);
        }};
    std::unique_ptr<app::App> app;
};

TEST_F(SignalEnding, AnUnnamedRecordingIsKeptTheSettingsSavedAndTheNextStartSaysWhere) {
    startApp();
    QWidget* wave = app->page(0);
    sendMessage(wave, page::fileNew);
    sendMessage(wave, page::play);
    out.finishNext();
    QCoreApplication::processEvents();
    settings::Volume = 37;
    const uint32_t recorded = static_cast<pages::WavePage*>(wave)->recordingFile().length();
    ASSERT_GT(recorded, 0u);

    app->endOnSignal();
    app->endOnSignal();                   // a second signal changes nothing
    EXPECT_TRUE(messages.shown.empty());  // nothing was asked
    const QDir recovered(app::App::recoveryFolder());
    EXPECT_TRUE(recovered.absolutePath().startsWith(folder.path() + "/data/Lirveto/"));
    // The take, and the play that made it as a performance.
    const QStringList kept = recovered.entryList(QDir::Files, QDir::Name | QDir::Reversed);
    ASSERT_EQ(kept.size(), 2);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^recording-\\d{4}-\\d\\d-\\d\\d-\\d{6}\\.wav$"))
                    .match(kept[0])
                    .hasMatch())
        << kept[0].toStdString();
    QFile performance(recovered.filePath(kept[1]));
    ASSERT_TRUE(performance.open(QIODevice::ReadOnly)) << kept[1].toStdString();
    EXPECT_TRUE(performance.readAll().startsWith("#lirveto-performance 1\npage=wave\n"));
    EXPECT_TRUE(QDir(folder.path()).entryList({QStringLiteral("RIF*.TMP")}).isEmpty());
    settings::Volume = 0;
    settings::loadSettings(nullptr);
    EXPECT_EQ(settings::Volume.load(), 37);

    app.reset();  // as main returns: nothing asked, nothing removed
    EXPECT_TRUE(messages.shown.empty());
    const QString path = recovered.filePath(kept[0]);
    files::WaveFile reread(nullptr, nullptr, platform::MMIO_READ);
    ASSERT_TRUE(reread.open(path.toStdString().c_str()));
    EXPECT_EQ(reread.length(), recorded);

    startApp();
    ASSERT_NE(app->rescueNotice(), nullptr);
    const QStringList lines = app->rescueNotice()->message().split(QLatin1Char('\n'));
    EXPECT_TRUE(lines.contains(recovered.absolutePath() + QLatin1Char(':')) &&
                lines.contains(kept[0]) && lines.contains(kept[1]) &&
                lines[0].contains(QStringLiteral("recording and the last performance")))
        << app->rescueNotice()->message().toStdString();
}

TEST_F(SignalEnding, ExitKeepsTheLastPlayOfAPageOnceUnlessTheUserKeptIt) {
    startApp();
    QWidget* wave = app->page(0);
    sendMessage(wave, page::play);
    sendMessage(wave, page::stop);
    app->applicationClosed();
    app->applicationClosed();  // written once
    const QDir recovered(app::App::recoveryFolder());
    const QStringList kept = recovered.entryList(QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept[0], QStringLiteral("last-performance-wave.performance"));
    app.reset();

    startApp();  // a normal ending is no news: no notice
    EXPECT_EQ(app->rescueNotice(), nullptr);
    wave = app->page(0);
    sendMessage(wave, page::play);
    sendMessage(wave, page::stop);
    const QString mine = folder.filePath(QStringLiteral("mine.performance"));
    dialogs.answers << mine;
    sendMessage(wave, page::keepPerformance);
    ASSERT_TRUE(QFile::exists(mine));
    app->applicationClosed();
    EXPECT_EQ(recovered.entryList(QDir::Files), kept);  // nothing added

    sendMessage(wave, page::play);  // a later play, not kept: it replaces the older one
    sendMessage(wave, page::stop);
    app->applicationClosed();
    EXPECT_EQ(recovered.entryList(QDir::Files), kept);
}

QString writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        << path.toStdString();
    return path;
}

TEST_F(SignalEnding, EveryKeptRecordingIsListedInFullAtEachStartUntilTheNoticeIsDismissed) {
    const QString where = app::App::recoveryFolder();
    const QString elsewhere = folder.filePath(QStringLiteral("tmp"));  // a take that could not move
    const QStringList files{where + "/recording-2024-05-01-101500.wav",
                            where + "/recording-2024-05-01-101500.mid",
                            where + "/recording-2024-05-01-101500-2.wav",
                            elsewhere + "/RIF0A1B.TMP", where + "/recording-2024-05-02-090000.wav"};
    for (const QString& file : files) {
        writeFile(file, "RIFF");
    }
    // Two endings added to the note; the user has moved one take away since.
    const QString note = writeFile(
        folder.filePath(QStringLiteral("data/Lirveto/recovered-note.txt")),
        (files.mid(0, 4).join('\n') + '\n' + where + "/moved.wav\n" + files[4] + '\n').toUtf8());

    for (int start = 0; start < 2; ++start) {  // a start ended before the dismissal tells again
        startApp();
        app::RescueNotice* notice = app->rescueNotice();
        ASSERT_NE(notice, nullptr);
        EXPECT_TRUE(notice->isVisible() && notice->windowModality() == Qt::WindowModal);
        const QStringList lines = notice->message().split(QLatin1Char('\n'));
        for (const QString& line : {where + ':', elsewhere + ':'}) {
            EXPECT_TRUE(lines.contains(line)) << line.toStdString();
        }
        for (const QString& file : files) {
            EXPECT_TRUE(lines.contains(QFileInfo(file).fileName())) << file.toStdString();
        }
        EXPECT_FALSE(notice->message().contains(QStringLiteral("moved.wav")));
        app.reset();
        EXPECT_TRUE(QFile::exists(note));
    }

    startApp();
    auto* buttons = app->rescueNotice()->findChild<QDialogButtonBox*>();
    for (QAbstractButton* button : buttons->buttons()) {
        if (buttons->buttonRole(button) == QDialogButtonBox::ActionRole) {
            button->click();  // Open Folder
        }
    }
    EXPECT_EQ(shell.opened, std::vector<std::string>{"file://" + where.toStdString()});
    ASSERT_NE(app->rescueNotice(), nullptr);
    buttons->button(QDialogButtonBox::Ok)->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(app->rescueNotice(), nullptr);
    EXPECT_FALSE(QFile::exists(note));
}

TEST_F(SignalEnding, ANoteWhoseRecordingsAreAllGoneIsDroppedUnshown) {
    const QString note =
        writeFile(folder.filePath(QStringLiteral("data/Lirveto/recovered-note.txt")),
                  (app::App::recoveryFolder() + "/moved.wav\n").toUtf8());
    startApp();
    EXPECT_EQ(app->rescueNotice(), nullptr);
    EXPECT_FALSE(app->frame()->statusText().contains(QStringLiteral("moved.wav")));
    EXPECT_FALSE(QFile::exists(note));
}

TEST_F(SignalEnding, AnEmptyRecordingIsNotKept) {
    startApp();
    sendMessage(app->page(0), page::fileNew);
    app->endOnSignal();
    EXPECT_FALSE(QDir(app::App::recoveryFolder()).exists() &&
                 !QDir(app::App::recoveryFolder()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(folder.path()).entryList({QStringLiteral("RIF*.TMP")}).isEmpty());
}

}  // namespace
