// The DirectSound page's buttons, messages, sliders, keys and step failures, over a fake
// DirectSound and a timer the test moves.

#include <QElapsedTimer>
#include <QTest>

#include "page_fixture.h"
#include "platform/mmtimer.h"
#include "support/qt_application.h"

namespace dsoundpagetest {
namespace {

using controls::CoolButton;

TEST_F(DirectSoundPageTest, PlayStreamsFromTheTimerAndStopReleasesTheBuffer) {
    makePage();
    EXPECT_EQ(button(106)->state(), CoolButton::held);

    QTest::mouseClick(button(105), Qt::LeftButton);
    ASSERT_TRUE(page->isPlaying());
    EXPECT_TRUE(library.buffer().playing);
    EXPECT_EQ(button(105)->state(), CoolButton::held);
    EXPECT_EQ(button(106)->state(), CoolButton::normal);
    EXPECT_EQ(focused(), button(106));
    EXPECT_EQ(timer.periodsHeld(), 1);

    runSteps(20);
    EXPECT_FALSE(library.buffer().locks.empty());
    QTest::qWait(2 * pages::SoundPage::readoutIntervalMs);
    ASSERT_FALSE(status.texts.isEmpty());  // the steps' readout reaches the status bar later on

    // Play while playing opens nothing more.
    QTest::mouseClick(button(105), Qt::LeftButton);
    EXPECT_EQ(library.devices.size(), 1u);

    testing_support::FakeSoundBuffer& buffer = library.buffer();
    QTest::mouseClick(button(106), Qt::LeftButton);
    EXPECT_FALSE(page->isPlaying());
    EXPECT_TRUE(buffer.released);
    EXPECT_TRUE(library.device().released);
    EXPECT_FALSE(timer.hasEvents());
    EXPECT_EQ(timer.periodsHeld(), 0);
    EXPECT_EQ(button(106)->state(), CoolButton::held);
    EXPECT_EQ(button(105)->state(), CoolButton::normal);
    EXPECT_EQ(focused(), button(105));
}

// While the pitch slews every step's readout is new; the status bar shows the newest at a pace
// that can be read, and each change it shows costs the GUI thread a repaint.
TEST_F(DirectSoundPageTest, ASlewingReadoutReachesTheStatusBarNoMoreOftenThanTheReadoutPace) {
    makePage();
    send(page::play);
    QElapsedTimer clock;
    clock.start();
    int x = 0;
    while (clock.elapsed() < 6 * pages::SoundPage::readoutIntervalMs) {
        cursor.position = {x = (x + 97) % 1000, 100};
        runSteps(1);
        QTest::qWait(2);
    }
    const qint64 elapsed = clock.elapsed();
    send(page::stop);  // shows the last readout too
    ASSERT_FALSE(status.texts.isEmpty());
    EXPECT_LE(status.texts.size(), elapsed / pages::SoundPage::readoutIntervalMs + 2)
        << "over " << elapsed << " ms";
}

TEST_F(DirectSoundPageTest, APlayThatCannotStartSaysWhyAndStaysStopped) {
    library.missing = true;
    makePage();
    QTest::mouseClick(button(105), Qt::LeftButton);
    EXPECT_FALSE(page->isPlaying());
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(button(106)->state(), CoolButton::held);
    EXPECT_EQ(focused(), button(105));
    EXPECT_FALSE(timer.hasEvents());
}

TEST_F(DirectSoundPageTest, AFailingStepShowsItsBoxOnceAndTheStreamGoesOn) {
    makePage();
    send(page::play);
    library.buffer().failLock = true;
    runSteps(30);
    EXPECT_TRUE(messages.shown.empty());  // nothing opens on the timer thread's step
    for (int i = 0; i < 5; ++i) {
        pump();
    }
    EXPECT_EQ(shownCount("Can't lock data"), 1);
    EXPECT_EQ(messages.shown.back().caption, "Lirveto sounddat");
    EXPECT_TRUE(page->isPlaying());

    // The next play may report it again.
    send(page::stop);
    send(page::play);
    library.buffer().failLock = true;
    runSteps(5);
    for (int i = 0; i < 5; ++i) {
        pump();
    }
    EXPECT_EQ(shownCount("Can't lock data"), 2);
}

TEST_F(DirectSoundPageTest, AltTPutsTheFocusOnThePitchSliderAndAltBDoesNothing) {
    makePage();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    button(105)->setFocus();
    QTest::keyClick(button(105), Qt::Key_B, Qt::AltModifier);
    pump();
    EXPECT_EQ(focused(), button(105));
    QTest::keyClick(button(105), Qt::Key_T, Qt::AltModifier);
    pump();
    EXPECT_EQ(focused(), page->slider(111));
    QTest::keyClick(page->slider(111), Qt::Key_B, Qt::AltModifier);
    pump();
    EXPECT_EQ(focused(), page->slider(111));
}

}  // namespace
}  // namespace dsoundpagetest

namespace dsoundpagetest {
namespace {

// The real timer: steps run on its thread while the GUI thread plays, stops and shows readouts.
class DirectSoundPageTimerTest : public DirectSoundPageTest {
  protected:
    DirectSoundPageTimerTest() { services.timer = &realTimer; }
    platform::MultimediaTimer realTimer;
};

TEST_F(DirectSoundPageTimerTest, PlayAndStopWhileStepsRunOnTheTimerThread) {
    makePage();
    for (int round = 0; round < 100; ++round) {
        send(page::play);
        ASSERT_TRUE(page->isPlaying());
        QTest::qWait(round % 10 == 0 ? 5 : 1);
        auto& buffer = library.buffer();
        send(page::stop);
        EXPECT_TRUE(buffer.released);
        // No step touches the buffer once Stop has returned.
        const size_t locks = buffer.locks.size();
        if (round % 10 == 0) {
            QTest::qWait(3);
            EXPECT_EQ(buffer.locks.size(), locks);
        }
        pump();
    }
    EXPECT_FALSE(status.texts.isEmpty());
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace dsoundpagetest
