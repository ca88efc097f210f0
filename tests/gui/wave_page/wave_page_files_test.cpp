// The Wave page's recording: New, Open, Save As, Save, Close, the save check, the title and the
// two queries the frame enables its menu items by.

#include <QFileInfo>
#include <QTemporaryDir>
#include <vector>

#include "files/pcm_wave_format.h"
#include "files/wave_file.h"
#include "framework/window_title.h"
#include "page_fixture.h"
#include "support/tone_analysis.h"

namespace wavepagetest {
namespace {

namespace answer = platform::MessageBoxResult;

class WavePageFilesTest : public WavePageTest {
  protected:
    WavePageFilesTest() { makePage(); }
    // Leaves no temporary recording behind.
    ~WavePageFilesTest() override {
        messages.answer = answer::IDNO;
        page->canClose();
    }

    // New, then one returned buffer recorded: a modified temporary recording.
    std::string recordSomething() {
        send(page::fileNew);
        send(page::play);
        out.finishNext();
        pump();
        send(page::stop);
        EXPECT_TRUE(page->recordingFile().isModified());
        return page->recordingFile().fileName();
    }

    QString path(const char* name) const { return folder.filePath(QString::fromUtf8(name)); }

    // A WAV file on disk in the given format holding a few samples.
    QString waveOnDisk(const char* name, const platform::WaveFormatPcm& format) {
        const QString where = path(name);
        files::WaveFile made(nullptr, &format);
        EXPECT_TRUE(made.newFile(where.toStdString().c_str()));
        const std::vector<uint8_t> samples(400, 0x80);
        EXPECT_EQ(made.write(samples.data(), 400), 400);
        EXPECT_TRUE(made.close());
        return where;
    }

    QString title() const { return frame.windowTitle(); }
    QString playCaption() const { return button(105)->text(); }

    QTemporaryDir folder;
};

TEST_F(WavePageFilesTest, NewStartsARecordingAndNamesItInTheTitle) {
    send(page::fileNew);
    EXPECT_EQ(title(), QStringLiteral("[noname.WAV] Lirveto"));
    EXPECT_EQ(playCaption(), QStringLiteral("&Record"));
    EXPECT_EQ(send(page::queryFileOpen), 1);
    EXPECT_EQ(send(page::queryNotEmpty), 0);  // open, but nothing recorded yet

    send(page::play);
    EXPECT_EQ(page->recordingFile().length(), 2 * out.written[0].bytes.size());
    EXPECT_EQ(send(page::queryNotEmpty), 1);

    messages.answer = answer::IDNO;
    send(page::fileClose);  // asks first, the recording has no name
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(title(), QStringLiteral("Lirveto"));
    EXPECT_EQ(playCaption(), QStringLiteral("&Play"));
}

TEST_F(WavePageFilesTest, TheTitleHoldsOnlyTheOpenFileAndTheProgramNameAndFitsItsBuffer) {
    // A closed file's name must not stay in the title, whatever it contains.
    const platform::WaveFormatPcm mono8 = files::pcmWaveFormat(false, false, false);
    dialogs.openAnswers = {waveOnDisk("Lirveto-take.wav", mono8)};
    send(page::fileOpen);
    EXPECT_EQ(title(), QStringLiteral("Lirveto-take.wav Lirveto"));
    send(page::fileClose);
    EXPECT_EQ(title(), QStringLiteral("Lirveto"));
    send(page::fileNew);
    EXPECT_EQ(title(), QStringLiteral("[noname.WAV] Lirveto"));

    frame.setWindowTitle(QStringLiteral("old.wav Lirveto 3"));
    send(page::updateTitle);
    EXPECT_EQ(title(), QStringLiteral("[noname.WAV] Lirveto"));

    const QString longTitle = QString(250, QLatin1Char('x')) + QStringLiteral(".wav");
    EXPECT_EQ(framework::composeWindowTitle(longTitle).size(), 259);
    EXPECT_TRUE(framework::composeWindowTitle(longTitle).startsWith(longTitle + " Lir"));
}

TEST_F(WavePageFilesTest, YesSavesTheOldRecordingUnderTheChosenName) {
    const std::string recording = recordSomething();
    const uint32_t recorded = page->recordingFile().length();
    messages.answer = answer::IDYES;
    dialogs.saveAnswers = {path("take1.wav")};
    send(page::fileNew);
    ASSERT_EQ(dialogs.saves.size(), 1u);
    EXPECT_EQ(dialogs.saves[0].filter, QStringLiteral("Wave files (*.wav)"));
    EXPECT_EQ(dialogs.saves[0].folder, QStringLiteral("."));
    EXPECT_EQ(dialogs.saves[0].suffix, QStringLiteral("wav"));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(recording)));

    files::WaveFile saved(nullptr, nullptr, platform::MMIO_READ);
    ASSERT_TRUE(saved.open(path("take1.wav").toStdString().c_str()));
    EXPECT_EQ(saved.length(), recorded);
    EXPECT_TRUE(page->recordingFile().isTemporary());
    EXPECT_EQ(title(), QStringLiteral("[noname.WAV] Lirveto"));
}

TEST_F(WavePageFilesTest, SaveAsNamesTheRecordingAndRecordingGoesOnIntoIt) {
    recordSomething();
    dialogs.saveAnswers = {path("named.wav")};
    EXPECT_EQ(send(page::fileSaveAs), 1);
    EXPECT_EQ(title(), QStringLiteral("named.wav Lirveto"));
    EXPECT_FALSE(page->recordingFile().isTemporary());
    const uint32_t before = page->recordingFile().length();
    send(page::play);
    EXPECT_GT(page->recordingFile().length(), before);
    send(page::stop);
    send(page::fileSave);
    send(page::fileClose);  // a named file closes without a question
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(title(), QStringLiteral("Lirveto"));
    EXPECT_GT(QFileInfo(path("named.wav")).size(), 44);
}

TEST_F(WavePageFilesTest, ASaveAsThatFailsSaysSoAndKeepsTheTitle) {
    recordSomething();
    dialogs.saveAnswers = {path("no/such/folder/x.wav")};
    EXPECT_EQ(send(page::fileSaveAs), 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Can't save the recording as " +
                                          path("no/such/folder/x.wav").toStdString() +
                                          ": No such file or directory.");
    EXPECT_EQ(messages.shown[0].caption, "Lirveto");
    EXPECT_EQ(title(), QStringLiteral("[noname.WAV] Lirveto"));
    EXPECT_TRUE(page->recordingFile().isTemporary());
}

TEST_F(WavePageFilesTest, OpenContinuesAFileInTheOutputFormatAfterItsSamples) {
    const QString file = waveOnDisk("old.wav", files::pcmWaveFormat(false, false, false));
    dialogs.openAnswers = {file};
    send(page::fileOpen);
    ASSERT_EQ(dialogs.opens.size(), 1u);
    EXPECT_EQ(dialogs.opens[0].filter, QStringLiteral("Wave files (*.wav)"));
    EXPECT_EQ(title(), QStringLiteral("old.wav Lirveto"));
    EXPECT_EQ(playCaption(), QStringLiteral("&Record"));
    EXPECT_EQ(send(page::queryNotEmpty), 1);
    send(page::play);
    EXPECT_GT(page->recordingFile().length(), 400u);
    send(page::stop);
    send(page::fileClose);

    wave_test::Bytes kept(400, 0x80);
    for (const auto& written : out.written) {
        kept.insert(kept.end(), written.bytes.begin(), written.bytes.end());
    }
    EXPECT_EQ(wave_test::waveData(wave_test::fileBytes(file.toStdString())), kept);
}

TEST_F(WavePageFilesTest, OpenRefusesAFileInAnotherFormatAndTouchesItNot) {
    const QString file = waveOnDisk("hifi.wav", files::pcmWaveFormat(true, true, true));
    const qint64 size = QFileInfo(file).size();
    dialogs.openAnswers = {file};
    send(page::fileOpen);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("44100 Hz, 16-bit, stereo"), std::string::npos);
    EXPECT_NE(messages.shown[0].text.find("22050 Hz, 8-bit, mono"), std::string::npos);
    EXPECT_EQ(send(page::queryFileOpen), 0);
    EXPECT_EQ(title(), QStringLiteral("Lirveto"));
    EXPECT_EQ(QFileInfo(file).size(), size);
}

TEST_F(WavePageFilesTest, OpenReportsAFileThatIsNoWav) {
    const QString file = path("notes.wav");
    QFile text(file);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a riff file at all");
    text.close();
    dialogs.openAnswers = {file};
    send(page::fileOpen);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("not a WAV file"), std::string::npos);
    EXPECT_EQ(send(page::queryFileOpen), 0);
}

TEST_F(WavePageFilesTest, PlayIntoARecordingOfAnotherFormatIsRefused) {
    send(page::fileNew);
    settings::SixteenBit = true;  // the preferences changed since
    send(page::play);
    EXPECT_FALSE(page->isPlaying());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Lirveto");
    EXPECT_EQ(page->recordingFile().length(), 0u);
}

}  // namespace
}  // namespace wavepagetest
