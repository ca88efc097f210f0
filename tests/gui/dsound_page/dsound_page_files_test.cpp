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
    ASSERT_TRUE(back.seek(0));
    std::vector<uint8_t> stored(played.size());
    ASSERT_EQ(back.read(stored.data(), static_cast<int32_t>(stored.size())),
              static_cast<int32_t>(stored.size()));
    EXPECT_EQ(stored, played);
}

}  // namespace
}  // namespace dsoundpagetest
