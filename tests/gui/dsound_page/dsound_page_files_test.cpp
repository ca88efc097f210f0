// The DirectSound page's recording: the title per file state, the Play caption, the save check's
// answers, the bytes of the stream in the file, and the rescue when the program ends on a signal.

#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "files/wave_file.h"
#include "page_fixture.h"

namespace dsoundpagetest {
namespace {

namespace answer = platform::MessageBoxResult;

class DirectSoundPageFilesTest : public DirectSoundPageTest {
  protected:
    DirectSoundPageFilesTest() { makePage(); }
    // Leaves no temporary recording behind.
    ~DirectSoundPageFilesTest() override {
        messages.answer = answer::IDNO;
        page->canClose();
    }

    // New, then a few steps played: a modified temporary recording.
    std::string recordSomething() {
        send(page::fileNew);
        send(page::play);
        runSteps(10);
        send(page::stop);
        EXPECT_TRUE(page->recordingFile().isModified());
        return page->recordingFile().fileName();
    }

    QString title() const { return frame.windowTitle(); }
    QString playCaption() const { return button(105)->text(); }
    QString path(const char* name) const { return folder.filePath(QString::fromUtf8(name)); }

    QTemporaryDir folder;
};

TEST_F(DirectSoundPageFilesTest, TheTitleAndPlayCaptionFollowTheRecording) {
    EXPECT_EQ(title(), QStringLiteral("Lirveto"));
    EXPECT_EQ(playCaption(), QStringLiteral("&Play"));
    EXPECT_EQ(send(page::queryFileOpen), 0);

    send(page::fileNew);
    EXPECT_EQ(title(), QStringLiteral("[noname.WAV] Lirveto"));
    EXPECT_EQ(playCaption(), QStringLiteral("&Record"));
    EXPECT_EQ(send(page::queryFileOpen), 1);
    EXPECT_EQ(send(page::queryNotEmpty), 0);

    dialogs.saveAnswers << path("take.wav");
    EXPECT_EQ(send(page::fileSaveAs), 1);
    EXPECT_EQ(title(), QStringLiteral("take.wav Lirveto"));

    send(page::fileClose);
    EXPECT_EQ(title(), QStringLiteral("Lirveto"));
    EXPECT_EQ(playCaption(), QStringLiteral("&Play"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DirectSoundPageFilesTest, TheRecordingHoldsExactlyTheBytesWrittenToTheBuffer) {
    send(page::fileNew);
    send(page::play);
    auto& buffer = library.buffer();
    std::vector<uint8_t> played;
    for (int i = 0; i < 40; ++i) {
        const size_t locksBefore = buffer.locks.size();
        runSteps(1);
        // Fill ahead locks once per writing step; copy what it wrote, in order.
        for (size_t l = locksBefore; l < buffer.locks.size(); ++l) {
            const auto [offset, bytes] = buffer.locks[l];
            for (uint32_t b = 0; b < bytes; ++b) {
                played.push_back(buffer.bytes[(offset + b) % buffer.size()]);
            }
        }
    }
    send(page::stop);
    ASSERT_FALSE(played.empty());
    EXPECT_EQ(send(page::queryNotEmpty), 1);
    dialogs.saveAnswers << path("stream.wav");
    ASSERT_EQ(send(page::fileSaveAs), 1);
    send(page::fileClose);

    files::WaveFile back(nullptr, nullptr, platform::MMIO_READ);
    ASSERT_TRUE(back.open(path("stream.wav").toStdString().c_str()));
    ASSERT_EQ(back.length(), played.size());
    std::vector<uint8_t> stored(played.size());
    ASSERT_EQ(back.read(stored.data(), static_cast<int32_t>(stored.size())),
              static_cast<int32_t>(stored.size()));
    EXPECT_EQ(stored, played);
}

TEST_F(DirectSoundPageFilesTest, TheSaveCheckAnswersCancelNoAndYes) {
    const std::string first = recordSomething();

    // Cancel keeps the recording and starts no new one.
    messages.answer = answer::IDCANCEL;
    send(page::fileNew);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Do you want to save?");
    EXPECT_EQ(messages.shown[0].caption, "Sound file has changed");
    EXPECT_EQ(page->recordingFile().fileName(), first);
    EXPECT_FALSE(page->canClose());

    // Yes names it and closes it; the new recording starts.
    messages.answer = answer::IDYES;
    dialogs.saveAnswers << path("kept.wav");
    send(page::fileNew);
    EXPECT_TRUE(QFile::exists(path("kept.wav")));
    EXPECT_TRUE(page->recordingFile().isTemporary());
    EXPECT_NE(page->recordingFile().fileName(), first);

    // No deletes the unnamed recording.
    const std::string second = recordSomething();
    messages.answer = answer::IDNO;
    EXPECT_TRUE(page->canClose());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(second)));
    EXPECT_FALSE(page->recordingFile().isOpen());
}

TEST_F(DirectSoundPageFilesTest, EndingOnASignalKeepsAnUnnamedRecordingWhilePlaying) {
    send(page::fileNew);
    send(page::play);
    runSteps(10);
    const std::string temporary = page->recordingFile().fileName();
    const QString kept = page->rescueRecording(folder.path(), QStringLiteral("recording"));
    EXPECT_FALSE(page->isPlaying());
    EXPECT_EQ(kept, path("recording.wav"));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(temporary)));
    files::WaveFile back(nullptr, nullptr, platform::MMIO_READ);
    ASSERT_TRUE(back.open(kept.toStdString().c_str()));
    EXPECT_GT(back.length(), 0u);
}

}  // namespace
}  // namespace dsoundpagetest
