// The page when the machine fails under it: the sound output going away while it plays (a device
// that stops pulling, and SDL's disk driver whose file takes no more), and a disk that fills
// while it records into a named file.

#include "playing_fixture.h"

#include <QTemporaryDir>
#include <QTest>

#include "framework/output_watch.h"
#include "platform/backends/system_wave_out.h"
#include "support/file_size_limit.h"
#include "support/run_program.h"
#include "support/scoped_environment_variable.h"

namespace wavepagetest {
namespace {

const std::string lostBox =
    std::string(framework::outputLostCaption) + ": " + framework::outputLostText;

std::vector<std::string> queuedBoxes(const testing_support::RecordingMessageBox& messages) {
    std::vector<std::string> texts;
    for (const auto& box : messages.queued) {
        texts.push_back(box.caption + ": " + box.text);
    }
    return texts;
}

// SDL's disk driver drops the device once its file refuses a write (/dev/full refuses all).
TEST_F(WavePageTest, OnSdlTheDiskDriversFileTakingNoMoreStopsThePage) {
    testing_support::ScopedEnvironmentVariable driver("SDL_AUDIODRIVER");
    testing_support::ScopedEnvironmentVariable file("SDL_DISKAUDIOFILE");
    driver.set("disk");
    file.set("/dev/full");
    makeWaveOut = [] { return platform::makeSystemWaveOut(); };
    makePage();
    send(page::play);
    ASSERT_TRUE(page->isPlaying());
    for (int waited = 0; waited < 5000 && page->isPlaying(); waited += 100) {
        QTest::qWait(100);
    }
    EXPECT_FALSE(page->isPlaying());
    EXPECT_EQ(queuedBoxes(messages), std::vector<std::string>{lostBox});

    // A device that works again plays again.
    file.set((QDir::tempPath() +
              QStringLiteral("/lirveto-lost-%1.raw").arg(QCoreApplication::applicationPid()))
                 .toStdString());
    send(page::play);
    EXPECT_TRUE(page->isPlaying());
    QTest::qWait(4 * framework::OutputWatch::kIntervalMs);
    EXPECT_TRUE(page->isPlaying());
    send(page::stop);
    std::remove(std::getenv("SDL_DISKAUDIOFILE"));
}

// sox reads the recording a full disk cut short, with every byte taken before the disk filled.
TEST_F(WavePagePlayingTest, AFullDiskLeavesTheNamedRecordingReadableUpToItsLastGoodWrite) {
    makePage();
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("take.wav"));
    send(page::fileNew);
    dialogs.saveAnswers = {path};
    send(page::fileSaveAs);
    uint32_t kept = 0;
    {
        const testing_support::FileSizeLimit fullDisk(16000);
        send(page::play);
        playFor(1500);
        kept = page->recordingFile().length();
        send(page::stop);
        send(page::fileClose);  // brings the header up to date within what the file holds
    }
    ASSERT_GT(kept, 0u);
    EXPECT_LT(kept, 16000u);
    const auto asked = queuedBoxes(messages);
    const std::string told =
        "Lirveto: " + testing_support::limitedRecordingText(path.toStdString());
    EXPECT_EQ(std::count(asked.begin(), asked.end(), told), 1);

    const auto sox = testing_support::runProgram("/usr/bin/sox", {"--i", "-s", path.toStdString()});
    ASSERT_EQ(sox.status, 0) << sox.err;
    EXPECT_EQ(std::stoul(sox.out), kept) << "8-bit mono: one sample a byte";
}

}  // namespace
}  // namespace wavepagetest
