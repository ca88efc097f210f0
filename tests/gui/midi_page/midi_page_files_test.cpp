// The Midi page's recording: the title and Play caption per file state, ask-to-save, the file
// commands and their dialogs, and a recording read back from disk.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "midi_page_fixture.h"
#include "support/file_size_limit.h"
#include "support/run_program.h"

namespace midipagetest {
namespace {

namespace answer = platform::MessageBoxResult;

class MidiPageFilesTest : public MidiPageTest {
  protected:
    MidiPageFilesTest() {
        makePage();
        qputenv("TMPDIR", folder.path().toUtf8());
    }
    // Leaves no temporary recording behind.
    ~MidiPageFilesTest() override {
        messages.answer = answer::IDNO;
        page->canClose();
        qunsetenv("TMPDIR");
    }

    // New, then a few notes played: a modified temporary recording.
    std::string recordSomething() {
        send(page::fileNew);
        send(page::play);
        tickAt(100, 100);
        tickAt(900, 300);
        send(page::stop);
        EXPECT_TRUE(page->recordingFile().isModified());
        return page->recordingFile().fileName();
    }
    QString path(const char* name) const { return folder.filePath(QString::fromUtf8(name)); }
    QString title() const { return frame.windowTitle(); }
    QString playCaption() const { return button(105)->text(); }
    static QByteArray bytesOf(const QString& name) {
        QFile in(name);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    QTemporaryDir folder;
};

TEST_F(MidiPageFilesTest, TheTitleAndPlayCaptionFollowTheFileAndNeverTheOldTitle) {
    // Whatever the title held before, it is composed anew from the file and the program's name.
    frame.setWindowTitle(QStringLiteral("old.mid Lirveto - old.mid Lirveto"));
    send(page::updateTitle);
    EXPECT_EQ(title(), QStringLiteral("Lirveto"));
    EXPECT_EQ(playCaption(), QStringLiteral("&Play"));
    EXPECT_EQ(send(page::queryFileOpen), 0);
    EXPECT_EQ(send(page::queryNotEmpty), 0);

    send(page::fileNew);
    EXPECT_EQ(title(), QStringLiteral("[noname.MID] Lirveto"));
    EXPECT_EQ(playCaption(), QStringLiteral("&Record"));
    EXPECT_EQ(send(page::queryFileOpen), 1);
    EXPECT_EQ(send(page::queryNotEmpty), 0) << "nothing recorded yet";

    send(page::play);
    tickAt(300, 300);
    EXPECT_EQ(send(page::queryNotEmpty), 1);
    dialogs.saveAnswers = {path("take.mid")};
    send(page::fileSaveAs);
    EXPECT_EQ(title(), QStringLiteral("take.mid Lirveto"));
    ASSERT_EQ(dialogs.saves.size(), 1u);
    EXPECT_EQ(dialogs.saves[0].filter, QStringLiteral("MIDI files (*.mid)"));
    EXPECT_EQ(dialogs.saves[0].folder, QStringLiteral("."));
    EXPECT_EQ(dialogs.saves[0].suffix, QStringLiteral("mid"));

    send(page::fileClose);
    EXPECT_EQ(title(), QStringLiteral("Lirveto"));
    EXPECT_EQ(playCaption(), QStringLiteral("&Play"));
    EXPECT_FALSE(page->isPlaying()) << "the take ends with its note-off, so the page stops";
}

TEST_F(MidiPageFilesTest, AskToSaveYesNamesTheRecordingAndLeavesItAStandardMidiFile) {
    recordSomething();
    messages.answer = answer::IDYES;
    dialogs.saveAnswers = {path("kept.mid")};
    send(page::fileNew);
    const QByteArray kept = bytesOf(path("kept.mid"));
    ASSERT_GE(kept.size(), 60);
    EXPECT_EQ(kept.left(8), QByteArray("MThd\0\0\0\x06", 8));
    EXPECT_EQ(kept.mid(14, 4), QByteArray("MTrk"));
    EXPECT_EQ(kept.right(4), QByteArray("\0\xFF\x2F\0", 4));
    // The event track begins with the start-up program change on channel 13, at delta 0.
    EXPECT_EQ(kept.mid(56, 3), QByteArray("\0\xCD\x4F", 3));
    EXPECT_EQ(page->recordingFile().title(), "[noname.MID]");

    // Yes, then the file dialog cancelled: the recording stays open, nothing new starts.
    const std::string second = recordSomething();
    messages.answer = answer::IDYES;
    send(page::fileNew);
    EXPECT_EQ(page->recordingFile().fileName(), second);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(second)));
}

// Closing while the page plays ends the sounding note in the take: it must not end held.
TEST_F(MidiPageFilesTest, CloseWhilePlayingEndsTheTakeWithItsNoteOff) {
    send(page::fileNew);
    dialogs.saveAnswers = {path("held.mid")};
    send(page::fileSaveAs);
    send(page::play);
    tickAt(100, 100);
    tickAt(900, 300);
    send(page::fileClose);
    const QByteArray take = bytesOf(path("held.mid"));
    ASSERT_GE(take.size(), 8);
    // The last event before the end of track (delta, FF 2F 00) is a note-off.
    EXPECT_EQ(take.right(4), QByteArray("\0\xFF\x2F\0", 4));
    EXPECT_EQ(static_cast<uint8_t>(take.at(take.size() - 7)) & 0xF0, 0x80);
}

TEST_F(MidiPageFilesTest, NewAndOpenStopThePlayingAndOpenContinuesAFinishedRecording) {
    recordSomething();
    dialogs.saveAnswers = {path("song.mid")};
    send(page::fileSaveAs);
    send(page::fileClose);
    const qsizetype finished = bytesOf(path("song.mid")).size();

    send(page::play);
    dialogs.openAnswers = {path("song.mid")};
    send(page::fileOpen);
    EXPECT_FALSE(page->isPlaying());
    ASSERT_EQ(dialogs.opens.size(), 1u);
    EXPECT_EQ(dialogs.opens[0].filter, QStringLiteral("MIDI files (*.mid)"));
    EXPECT_EQ(title(), QStringLiteral("song.mid Lirveto"));
    send(page::play);
    tickAt(200, 700);
    send(page::fileClose);
    EXPECT_GT(bytesOf(path("song.mid")).size(), finished);

    send(page::play);
    send(page::fileNew);
    EXPECT_FALSE(page->isPlaying());
}

TEST_F(MidiPageFilesTest, OpenReportsAFileThatIsNoRecordingAndCreatesNoneThatIsMissing) {
    QFile other(path("notes.mid"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("MThd this is something else entirely, not one of our recordings");
    other.close();
    dialogs.openAnswers = {path("notes.mid"), path("missing.mid")};
    send(page::fileOpen);
    send(page::fileOpen);
    pump();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_NE(messages.shown[0].text.find("notes.mid"), std::string::npos);
    EXPECT_FALSE(QFile::exists(path("missing.mid")));
    EXPECT_EQ(send(page::queryFileOpen), 0);
    EXPECT_EQ(title(), QStringLiteral("Lirveto"));
}

// The end of track cannot be written when the file may not grow (here: a file size limit): the
// close is told as failed, as on the sample pages, never as done.
TEST_F(MidiPageFilesTest, ACloseThatCannotWriteTheEndOfTrackIsReported) {
    recordSomething();
    dialogs.saveAnswers = {path("full.mid")};
    send(page::fileSaveAs);
    // A save leaves room for the end of track: only events recorded after it can take that room.
    send(page::play);
    tickAt(300, 200);
    send(page::stop);
    {
        const testing_support::FileSizeLimit fullDisk(
            static_cast<rlim_t>(bytesOf(path("full.mid")).size()));
        send(page::fileClose);
    }
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Can't close the recording " + path("full.mid").toStdString() + ": File too large.");
    EXPECT_EQ(messages.shown[0].caption, "Lirveto");
    EXPECT_EQ(title(), QStringLiteral("Lirveto"));
}

// The disk fills while notes are recorded: one box, the file keeps every whole event before it
// (none torn, none after a gap), and once there is room again it closes into a file mido reads.
TEST_F(MidiPageFilesTest, AFullDiskIsToldOnceAndTheRecordingKeepsEveryEventBeforeIt) {
    send(page::fileNew);
    dialogs.saveAnswers = {path("full.mid")};
    send(page::fileSaveAs);
    const auto room = static_cast<rlim_t>(bytesOf(path("full.mid")).size()) + 90;
    uint32_t kept = 0;
    {
        const testing_support::FileSizeLimit fullDisk(room);
        send(page::play);
        for (int step = 0; step < 60; ++step) {
            tickAt(100 + 13 * step, 100 + 9 * step);
        }
        kept = page->recordingFile().length();
        tickAt(50, 50);
        EXPECT_EQ(page->recordingFile().length(), kept) << "nothing more after the failure";
        send(page::stop);
        pump();
    }
    ASSERT_EQ(messages.queued.size(), 1u);
    EXPECT_EQ(messages.queued[0].text,
              testing_support::limitedRecordingText(path("full.mid").toStdString()));
    EXPECT_EQ(messages.queued[0].caption, "Lirveto");
    EXPECT_FALSE(page->isPlaying());
    send(page::fileClose);
    EXPECT_EQ(messages.queued.size(), 1u) << "room again: the end of track fits";

    // mido reads every event (a torn one would stop it), and the event track (after the tempo
    // track) holds exactly the bytes kept plus its end of track.
    const auto mido = testing_support::runProgram(
        "/usr/bin/python3", {"-c",
                             "import sys, mido\n"
                             "track = mido.MidiFile(sys.argv[1]).tracks[-1]\n"
                             "data = open(sys.argv[1], 'rb').read()\n"
                             "at = 22 + int.from_bytes(data[18:22], 'big') + 4\n"
                             "size = int.from_bytes(data[at:at + 4], 'big')\n"
                             "print(size, sum(1 for m in track if not m.is_meta), track[-1].type)",
                             path("full.mid").toStdString()});
    ASSERT_EQ(mido.status, 0) << mido.err;
    unsigned size = 0;
    int events = 0;
    char last[32] = {};
    ASSERT_EQ(std::sscanf(mido.out.c_str(), "%u %d %31s", &size, &events, last), 3) << mido.out;
    EXPECT_EQ(size, kept + 4);
    EXPECT_GT(events, 4);
    EXPECT_STREQ(last, "end_of_track");
}

}  // namespace
}  // namespace midipagetest
