// The page playing for real: the wave output over a device on a manual clock, its notifications
// coming back as window messages through the page's own message queue. And how the page looks.

// Before any Qt header (through the fixture): the output's queue has a member named like Qt's
// "slots" keyword.
#include "playing_fixture.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "framework/message_box_service.h"
#include "support/file_size_limit.h"
#include "support/looping_message_box.h"

namespace wavepagetest {
namespace {

namespace answer = platform::MessageBoxResult;

TEST_F(WavePagePlayingTest, TheToneIsStreamedAndRecordedWhileThePagePlays) {
    makePage();
    ASSERT_EQ(settings::Volume, 100);
    send(page::fileNew);
    send(page::toggle);
    ASSERT_TRUE(page->isPlaying());
    ASSERT_NE(device, nullptr);
    EXPECT_TRUE(device->isStarted());
    const uint32_t queuedAtPlay = page->recordingFile().length();
    EXPECT_GT(queuedAtPlay, 0u);

    playFor(1000);
    const std::vector<uint8_t> heard = device->pulledBytes();
    EXPECT_EQ(heard.size(), 22050u);
    // A tone, not silence: 8-bit samples swing around 128.
    const auto [low, high] = std::minmax_element(heard.begin(), heard.end());
    EXPECT_LT(*low, 80);
    EXPECT_GT(*high, 176);
    // Every buffer queued is recorded: more than was played, since two are always ahead.
    const uint32_t recorded = page->recordingFile().length();
    EXPECT_GT(recorded, queuedAtPlay);
    EXPECT_GE(recorded, heard.size());

    send(page::toggle);
    EXPECT_FALSE(page->isPlaying());
    device = nullptr;  // gone with the Stop
    pump();
    EXPECT_EQ(page->recordingFile().length(), recorded);
}

using testing_support::FileSizeLimit;

TEST_F(WavePagePlayingTest, AFailingRecordingWriteIsShownOnceWhileTheTonePlaysOn) {
    testing_support::LoopingMessageBox boxes;
    framework::MessageBoxService queue(boxes);
    PageServices withQueue{messages, queue,   cursor,
                           status,   dialogs, [this] { return makeWaveOut(); }};
    page = std::make_unique<pages::WavePage>(&frame, withQueue);
    page->create();
    frame.show();
    pump();
    send(page::fileNew);
    const std::string take = page->recordingFile().fileName();
    // While a box is open the output goes on returning buffers into the box's own loop.
    boxes.whileOpen = [this] {
        if (device != nullptr) {
            playFor(500);
        }
    };
    boxes.openMilliseconds = 100;
    uint32_t kept = 0;
    {
        const FileSizeLimit fullDisk(20000);
        send(page::toggle);
        ASSERT_TRUE(page->isPlaying());
        playFor(1000);
        QTest::qWait(300);
        kept = page->recordingFile().length();
        playFor(1000);
        QTest::qWait(300);
    }
    EXPECT_EQ(boxes.texts,
              std::vector<std::string>{"Lirveto: " + testing_support::limitedRecordingText(take)});
    EXPECT_EQ(boxes.deepest, 1);
    EXPECT_FALSE(boxes.openedInHandler);
    EXPECT_TRUE(page->isPlaying());
    EXPECT_GT(kept, 0u);
    EXPECT_EQ(page->recordingFile().length(), kept);  // stopped taking data, kept what it had

    // Naming the recording is the user's answer: it then records again.
    const QTemporaryDir saved;
    dialogs.saveAnswers = {saved.filePath(QStringLiteral("after-full-disk.wav"))};
    send(page::fileSaveAs);
    playFor(500);
    EXPECT_GT(page->recordingFile().length(), kept);
    send(page::stop);
    send(page::fileClose);
    page.reset();
}

TEST_F(WavePagePlayingTest, AViewChangeShowsTheReadoutAgainAtOnce) {
    settings::ViewNoteFreq = 1;
    makePage();
    send(page::play);
    playFor(300);
    ASSERT_FALSE(status.texts.isEmpty());
    const QString before = status.texts.back();
    EXPECT_TRUE(before.contains(QStringLiteral("Hz"))) << before.toStdString();
    settings::ViewNoteFreq = 0;
    send(page::viewChanged);  // the cursor has not moved
    EXPECT_NE(status.texts.back(), before);
    EXPECT_FALSE(status.texts.back().contains(QStringLiteral("Hz")));
    settings::ViewNoteFreq = 1;
    send(page::stop);
}

TEST_F(WavePagePlayingTest, ThePageAsAUserSeesIt) {
    settings::Volume = 70;
    settings::Pitch = 4;
    settings::Vibrato = 1;
    settings::Timbre = 3;
    makePage();
    send(page::fileNew);
    send(page::play);
    playFor(200);
    pump();
    const QString folder = QStringLiteral(LIRVETO_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/wave_page.png");
    ASSERT_TRUE(page->grab().save(path));
    const QImage image(path);
    EXPECT_EQ(image.size(), page->size());
    // The held Play button shows its green bitmap.
    bool green = false;
    for (int y = 0; y < image.height() && !green; ++y) {
        for (int x = 0; x < image.width() && !green; ++x) {
            green = image.pixelColor(x, y) == QColor(40, 220, 40);
        }
    }
    EXPECT_TRUE(green);
    std::cout << "screenshot: " << path.toStdString() << "\n";
    send(page::stop);
}

}  // namespace
}  // namespace wavepagetest
