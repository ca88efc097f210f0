// The Midi page's buttons, page messages, readout, keys and start-up options, over a virtual MIDI
// device on a manual timer.

#include <QTest>

#include "framework/output_watch.h"
#include "midi_page_fixture.h"
#include "support/qt_application.h"
#include "support/scoped_settings.h"

namespace midipagetest {
namespace {

using controls::CoolButton;

TEST_F(MidiPageTest, PlayAndStopHoldTheirButtonsAndOpenAndCloseTheDevice) {
    makePage();
    EXPECT_EQ(button(106)->state(), CoolButton::held);

    QTest::mouseClick(button(105), Qt::LeftButton);
    EXPECT_TRUE(page->isPlaying());
    EXPECT_TRUE(port->isOpen());
    EXPECT_EQ(button(105)->state(), CoolButton::held);
    EXPECT_EQ(button(106)->state(), CoolButton::normal);
    EXPECT_EQ(frame.focusWidget(), button(106));
    // The start-up messages on channel 13 then 1: program, then the bend range.
    const std::vector<Message> start = sent();
    ASSERT_GE(start.size(), 4u);
    EXPECT_EQ(start[0], (Message{0xCD, 79, 0}));
    EXPECT_EQ(start[1], (Message{0xC1, 79, 0}));
    EXPECT_EQ(start[4], (Message{0xBD, 6, 2}));

    QTest::mouseClick(button(106), Qt::LeftButton);
    EXPECT_FALSE(page->isPlaying());
    EXPECT_FALSE(port->isOpen());
    EXPECT_EQ(button(106)->state(), CoolButton::held);
    EXPECT_EQ(frame.focusWidget(), button(105));
    EXPECT_FALSE(timer.hasEvents());
    EXPECT_EQ(timer.periodsHeld(), 0);
}

TEST_F(MidiPageTest, RestartStopsShowsStarsAndStartsAgainButNotWhileStopped) {
    makePage();
    send(page::restart);
    pump();
    EXPECT_FALSE(page->isPlaying());
    EXPECT_EQ(port->opens(), 0);
    EXPECT_TRUE(status.texts.isEmpty());

    send(page::play);
    send(page::restart);
    EXPECT_FALSE(page->isPlaying());
    EXPECT_EQ(status.texts.back(), QStringLiteral("****"));
    pump();
    EXPECT_TRUE(page->isPlaying());
    EXPECT_EQ(port->opens(), 2);
}

// The GUI reads the newest readout at its own pace; nothing is posted per tick.
TEST_F(MidiPageTest, TheTicksReadoutReachesTheStatusBarAtTheReadoutPace) {
    makePage();
    send(page::play);
    tickAt(500, 400);  // 1000 x 800 screen: pitch 60, level half of 80 %
    tickAt(600, 400);
    pump();
    EXPECT_TRUE(status.texts.isEmpty()) << "no event per tick: the status bar waits its turn";
    QTest::qWait(2 * pages::SoundPage::readoutIntervalMs);
    // Two readouts between two looks arrive as one: the latest.
    ASSERT_EQ(status.texts.size(), 1);
    EXPECT_TRUE(status.texts.back().contains(QStringLiteral("64")))
        << status.texts.back().toStdString();
    tickAt(600, 400);
    QTest::qWait(2 * pages::SoundPage::readoutIntervalMs);
    EXPECT_EQ(status.texts.size(), 1) << "a still cursor shows nothing new";

    // A View change shows the new form with the cursor still, and leaves the MIDI volume as it is.
    const ScopedToneSettings restored;
    const int midiVolume = settings::MidiVolume;
    settings::Volume = 100 - midiVolume / 2;
    settings::ViewNoteVol = 1 - settings::ViewNoteVol;
    send(page::viewChanged);
    tickAt(600, 400);
    QTest::qWait(2 * pages::SoundPage::readoutIntervalMs);
    ASSERT_EQ(status.texts.size(), 2);
    EXPECT_NE(status.texts[0], status.texts[1]);
    EXPECT_EQ(settings::MidiVolume.load(), midiVolume);
    send(page::stop);
}

TEST_F(MidiPageTest, WithoutADeviceThePageSaysSoOnceAndStaysUsable) {
    source = &noDevices;
    makePage();
    QTest::mouseClick(button(105), Qt::LeftButton);
    // Asked from the button's notification: queued, not opened there.
    ASSERT_EQ(messages.queued.size(), 1u);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.queued[0].text, "The sound output could not be opened.");
    EXPECT_EQ(messages.queued[0].caption, "Lirveto");
    EXPECT_FALSE(page->isPlaying());
    EXPECT_EQ(button(106)->state(), CoolButton::held);
    EXPECT_FALSE(timer.hasEvents());

    // Everything else still works: sliders, Stop, a recording.
    slider(110)->setPosition(40);
    EXPECT_EQ(settings::MidiVolume, 60);
    send(page::stop);
    send(page::fileNew);
    EXPECT_EQ(send(page::queryFileOpen), 1);
    messages.answer = platform::MessageBoxResult::IDNO;
    EXPECT_TRUE(page->canClose());
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(MidiPageTest, AltTPutsTheFocusOnTheLowPitchSlider) {
    makePage();
    button(105)->setFocus();
    QTest::keyClick(page.get(), Qt::Key_T, Qt::AltModifier);
    pump();
    EXPECT_EQ(frame.focusWidget(), slider(111));
}

TEST_F(MidiPageTest, ClosingThePageWhilePlayingStopsTheTickAndTheDevice) {
    makePage();
    send(page::play);
    tickAt(100, 100);
    page.reset();
    EXPECT_FALSE(port->isOpen());
    EXPECT_FALSE(timer.hasEvents());
    EXPECT_EQ(timer.periodsHeld(), 0);
}

// Making the output loads the built-in synth's SoundFont: a start that never shows the page (it
// sits behind the Wave tab) must not pay for it. The first look, or a Play, makes it once.
TEST_F(MidiPageTest, TheMidiOutputIsMadeWhenThePageIsFirstShownOrPlayedAndNotBefore) {
    int made = 0;
    services.makeMidiOut = [this, &made] {
        ++made;
        return std::make_unique<platform::MidiOut>(*source);
    };
    for (const bool shownFirst : {true, false}) {
        made = 0;
        page = std::make_unique<pages::MidiPage>(&frame, services);
        page->create();
        pump();
        EXPECT_EQ(made, 0) << "made and set up, not yet shown";
        if (shownFirst) {
            frame.show();
            pump();
            EXPECT_EQ(made, 1) << "shown";
            page->hide();
            page->show();
            pump();
        }
        send(page::play);
        EXPECT_TRUE(page->isPlaying());
        send(page::stop);
        EXPECT_EQ(made, 1) << (shownFirst ? "shown, then played" : "played unseen");
        page.reset();
        frame.hide();
    }
}

}  // namespace
}  // namespace midipagetest
