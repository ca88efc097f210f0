// The DirectSound page when the machine fails under it: the output going away under the playing
// buffer, and a disk that fills while it records into a named file.

#include <QTemporaryDir>
#include <QTest>

#include "framework/output_watch.h"
#include "page_fixture.h"
#include "support/file_size_limit.h"
#include "support/run_program.h"

namespace dsoundpagetest {
namespace {

// sox reads the recording a full disk cut short, with every byte taken before the disk filled.
TEST_F(DirectSoundPageTest, AFullDiskIsToldOnceAndLeavesTheRecordingReadableUpToItsLastGoodWrite) {
    makePage();
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("take.wav"));
    send(page::fileNew);
    dialogs.saveAnswers << path;
    send(page::fileSaveAs);
    uint32_t kept = 0;
    {
        const testing_support::FileSizeLimit fullDisk(12000);
        send(page::play);
        runSteps(800);
        QTest::qWait(50);
        kept = page->recordingFile().length();
        runSteps(200);
        EXPECT_EQ(page->recordingFile().length(), kept) << "nothing more reached the file";
        send(page::stop);
        send(page::fileClose);
    }
    ASSERT_GT(kept, 0u);
    EXPECT_LE(kept, 12000u);
    EXPECT_EQ(shownCount(testing_support::limitedRecordingText(path.toStdString())), 1);

    const auto sox = testing_support::runProgram("/usr/bin/sox", {"--i", "-s", path.toStdString()});
    ASSERT_EQ(sox.status, 0) << sox.err;
    EXPECT_EQ(std::stoul(sox.out), kept) << "8-bit mono: one sample a byte";
}

}  // namespace
}  // namespace dsoundpagetest
