// The Wave page's buttons, messages, sliders and keys, over a fake wave output.

#include <QTest>

#include "engine/tone/cursor_mapping.h"
#include "engine/tone/note_readout.h"
#include "page_fixture.h"
#include "support/qt_application.h"

namespace wavepagetest {
namespace {

using controls::CoolButton;
namespace mm = platform::mm;

TEST_F(WavePageTest, PlayHoldsPlayAndFocusesStopAndStopDoesTheReverse) {
    makePage();
    EXPECT_EQ(button(105)->state(), CoolButton::normal);
    EXPECT_EQ(button(106)->state(), CoolButton::held);

    QTest::mouseClick(button(105), Qt::LeftButton);
    EXPECT_TRUE(page->isPlaying());
    EXPECT_EQ(out.written.size(), 2u);
    EXPECT_EQ(button(105)->state(), CoolButton::held);
    EXPECT_EQ(button(106)->state(), CoolButton::normal);
    EXPECT_EQ(focused(), button(106));

    // Play while playing opens nothing more and the button stays held after the mouse lets go.
    QTest::mouseClick(button(105), Qt::LeftButton);
    EXPECT_EQ(out.opens, 1);
    EXPECT_EQ(out.written.size(), 2u);
    EXPECT_EQ(button(105)->state(), CoolButton::held);

    QTest::mouseClick(button(106), Qt::LeftButton);
    EXPECT_FALSE(page->isPlaying());
    EXPECT_FALSE(out.isOpen);
    EXPECT_EQ(button(106)->state(), CoolButton::held);
    EXPECT_EQ(button(105)->state(), CoolButton::normal);
    EXPECT_EQ(focused(), button(105));

    // Stop while stopped leaves the output alone.
    QTest::mouseClick(button(106), Qt::LeftButton);
    EXPECT_EQ(out.count("reset"), 1);
    EXPECT_EQ(button(106)->state(), CoolButton::held);
}

TEST_F(WavePageTest, ReturnedBuffersAreQueuedAgainAndThoseFromBeforeStopAreDropped) {
    makePage();
    send(page::play);
    ASSERT_TRUE(out.finishNext());
    pump();
    EXPECT_EQ(out.written.size(), 3u);
    EXPECT_FALSE(status.texts.isEmpty());  // the readout of the first rendered buffer

    send(page::stop);
    pump();  // the dones of the reset arrive while stopped
    EXPECT_EQ(out.written.size(), 3u);
    EXPECT_EQ(out.count("write"), 3);
}

TEST_F(WavePageTest, AFailedWriteRestartsThePlayingWithStarsInTheStatusBar) {
    makePage();
    out.failWriteAfter = 2;
    send(page::play);
    out.finishNext();
    pump();  // the refill fails: restart, then the toggle it posts
    pump();
    EXPECT_TRUE(status.texts.contains(QStringLiteral("****")));
    EXPECT_EQ(out.opens, 2);
    EXPECT_EQ(button(105)->state(), CoolButton::held);
}

TEST_F(WavePageTest, AnOutputThatCannotOpenReportsAndStaysStopped) {
    makePage();
    out.openResult = mm::MMSYSERR_ALLOCATED;
    QTest::mouseClick(button(105), Qt::LeftButton);
    EXPECT_FALSE(page->isPlaying());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "The sound output could not be opened.");
    EXPECT_EQ(messages.shown[0].caption, "Lirveto");
    EXPECT_EQ(button(105)->state(), CoolButton::normal);
    EXPECT_EQ(button(106)->state(), CoolButton::held);
    EXPECT_EQ(focused(), button(105));
}

TEST_F(WavePageTest, AltTAndAltBPutTheFocusOnThePitchAndVibratoSliders) {
    makePage();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    button(105)->setFocus();
    QTest::keyClick(button(105), Qt::Key_T, Qt::AltModifier);
    pump();
    EXPECT_EQ(focused(), page->slider(111));
    QTest::keyClick(page->slider(111), Qt::Key_B, Qt::AltModifier);
    pump();
    EXPECT_EQ(focused(), page->slider(119));
}

TEST_F(WavePageTest, TheCursorIsMappedOverTheScreenSizeTakenAtSetUp) {
    const platform::ScreenSize screen{2000, 1000};
    cursor.screen = screen;
    cursor.position = {1000, 500};
    makePage();
    cursor.screen = {100, 100};  // read once, at set-up
    send(page::play);
    ASSERT_FALSE(status.texts.isEmpty());
    const engine::ReadoutText expected = engine::readoutFromFrequency(
        engine::frequencyFromCursor(1000, screen), engine::amplitudeFromCursor(500, screen));
    EXPECT_EQ(status.texts.first(), QString::fromUtf8(expected.c_str()));
}

}  // namespace
}  // namespace wavepagetest
