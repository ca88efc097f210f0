// The page playing for real: the wave output over a device on a manual clock, its notifications
// coming back as window messages through the page's own message queue. And how the page looks.

// Before any Qt header: the output's queue has a member named like Qt's "slots" keyword.
#include "platform/waveout/virtual_audio_device.h"
#include "platform/waveout/wave_out.h"

#include <QDir>
#include <QImage>
#include <algorithm>

#include "page_fixture.h"

namespace wavepagetest {
namespace {

namespace answer = platform::MessageBoxResult;

class WavePagePlayingTest : public WavePageTest {
  protected:
    WavePagePlayingTest() {
        makeWaveOut = [this] {
            return std::make_unique<platform::WaveOut>(platform::WaveOut::postDuringPull, [this] {
                auto made = std::make_unique<platform::VirtualAudioDevice>();
                made->keepPulled(true);
                device = made.get();
                return made;
            });
        };
        cursor.position = {300, 0};  // loudest at the top
        settings::Volume = 100;
    }
    ~WavePagePlayingTest() override {
        messages.answer = answer::IDNO;
        if (page != nullptr) {
            page->canClose();
        }
    }

    // Lets `ms` of sound play, a tenth of a second at a time, the page answering in between.
    void playFor(int ms) {
        for (int done = 0; done < ms; done += 100) {
            device->advanceFrames(2205);
            pump();
        }
    }

    platform::VirtualAudioDevice* device = nullptr;
};

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
