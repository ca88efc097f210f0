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

TEST_F(WavePageTest, ThePageMessagesStartAndStop) {
    makePage();
    send(page::toggle);
    EXPECT_TRUE(page->isPlaying());
    send(page::toggle);
    EXPECT_FALSE(page->isPlaying());
    send(page::play);
    send(page::play);
    EXPECT_EQ(out.opens, 2);
    send(page::stop);
    EXPECT_FALSE(page->isPlaying());
    send(page::play);
    send(page::tabLeft);
    EXPECT_FALSE(page->isPlaying());
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
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "4");
    EXPECT_EQ(messages.shown[1].caption, "Lirveto initdat");
    EXPECT_EQ(button(105)->state(), CoolButton::normal);
    EXPECT_EQ(button(106)->state(), CoolButton::held);
    EXPECT_EQ(focused(), button(105));
}

TEST_F(WavePageTest, ClosingThePageWhilePlayingStopsTheOutput) {
    makePage();
    send(page::play);
    ASSERT_TRUE(out.isOpen);
    page.reset();
    EXPECT_FALSE(out.isOpen);
    EXPECT_EQ(out.count("reset"), 1);
}

TEST_F(WavePageTest, SlidersLieOverTheirFramesAndStartFromTheSettings) {
    settings::Volume = 30;
    settings::Pitch = 4;
    settings::Vibrato = 2;
    settings::Timbre = 7;
    makePage();
    const int sliders[][3] = {{110, 102, 70}, {111, 107, 7}, {119, 118, 1}, {112, 114, 3}};
    for (const auto& [id, frameId, position] : sliders) {
        const QRect f = page->item(frameId)->geometry();
        EXPECT_EQ(page->slider(id)->geometry(),
                  QRect(f.left() + f.width() / 2 - 12, f.top() - 10, 24, f.height() + 20))
            << id;
        EXPECT_EQ(page->slider(id)->position(), position) << id;
    }
    EXPECT_EQ(page->slider(110)->maximum(), 100);
    EXPECT_EQ(page->slider(119)->maximum(), 3);
    EXPECT_EQ(label(108), QStringLiteral("30"));
    EXPECT_EQ(label(109), QStringLiteral("4kHz"));
    EXPECT_EQ(label(117), QStringLiteral("2"));
    EXPECT_EQ(label(113), QStringLiteral("7"));
}

TEST_F(WavePageTest, SettingsBeyondTheirRangeAreCutAtSetUp) {
    settings::Pitch = 12;
    settings::Vibrato = 5;
    settings::Timbre = 11;
    makePage();
    EXPECT_EQ(settings::Pitch, 10);
    EXPECT_EQ(settings::Vibrato, 3);
    EXPECT_EQ(settings::Timbre, 10);
    EXPECT_EQ(page->slider(111)->position(), 1);
}

TEST_F(WavePageTest, MovingTheSlidersSetsTheValuesUpsideDown) {
    makePage();
    page->slider(110)->setPosition(0);
    EXPECT_EQ(settings::Volume, 100);
    page->slider(110)->setPosition(100);
    EXPECT_EQ(settings::Volume, 0);
    EXPECT_EQ(label(108), QStringLiteral("0"));

    // The pitch slider's top position gives 10, like the one below it.
    page->slider(111)->setPosition(0);
    EXPECT_EQ(settings::Pitch, 10);
    EXPECT_EQ(label(109), QStringLiteral("10kHz"));
    page->slider(111)->setPosition(10);
    EXPECT_EQ(settings::Pitch, 1);
    EXPECT_EQ(label(109), QStringLiteral("1kHz"));
    page->slider(111)->setPosition(1);
    EXPECT_EQ(settings::Pitch, 10);

    page->slider(119)->setPosition(0);
    EXPECT_EQ(settings::Vibrato, 3);
    page->slider(112)->setPosition(4);
    EXPECT_EQ(settings::Timbre, 6);
    EXPECT_EQ(label(113), QStringLiteral("6"));
}

TEST_F(WavePageTest, SettingsChangedSetsTheSlidersAndTheirLabels) {
    makePage();
    settings::Volume = 80;
    settings::Pitch = 3;
    settings::Vibrato = 1;
    settings::Timbre = 10;
    send(page::settingsChanged);
    EXPECT_EQ(page->slider(110)->position(), 20);
    EXPECT_EQ(page->slider(111)->position(), 8);
    EXPECT_EQ(page->slider(119)->position(), 2);
    EXPECT_EQ(page->slider(112)->position(), 0);
    EXPECT_EQ(label(108), QStringLiteral("80"));
    EXPECT_EQ(label(109), QStringLiteral("3kHz"));
    EXPECT_EQ(label(117), QStringLiteral("1"));
    EXPECT_EQ(label(113), QStringLiteral("10"));
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

TEST_F(WavePageTest, ANextControlMessageFollowsOnlyThePagesOwnControls) {
    makePage();
    button(105)->setFocus();
    QWidget stranger;
    sendMessage(page.get(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(&stranger), 1);
    EXPECT_EQ(focused(), button(105));
    sendMessage(page.get(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(page->slider(112)), 1);
    EXPECT_EQ(focused(), page->slider(112));
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
