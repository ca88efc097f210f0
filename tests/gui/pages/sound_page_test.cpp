// What every sound page does alike, run on each of the three: Play and Stop and their held
// buttons, the page messages, the start options, the watch on the output and closing while
// playing.

#include <QTest>

#include "page_kinds.h"
#include "platform/audio_underruns.h"
#include "support/qt_application.h"

namespace soundpagetest {
namespace {

namespace page = framework::page;
using controls::CoolButton;

template <class Kind>
using SoundPageProtocolTest = SoundPageTest<Kind>;
TYPED_TEST_SUITE(SoundPageProtocolTest, PageKinds, KindName);

TYPED_TEST(SoundPageProtocolTest, PlayAndStopHoldTheirButtonsWhateverStartsOrStopsThePage) {
    this->makePage();
    EXPECT_EQ(this->button(106)->state(), CoolButton::held);

    // Each way in and out, as the buttons, the frame's messages and the tab window send them.
    const std::pair<framework::UINT, bool> steps[] = {
        {framework::WM_COMMAND, true}, {page::stop, false}, {page::toggle, true},
        {page::toggle, false},         {page::play, true},  {page::play, true},
        {page::tabLeft, false},        {page::stop, false},
    };
    for (const auto& [message, playing] : steps) {
        if (message == framework::WM_COMMAND) {
            framework::sendMessage(this->page.get(), message, 105, 0);
        } else {
            this->send(message);
        }
        ASSERT_EQ(this->page->isPlaying(), playing) << "after message " << message;
        EXPECT_EQ(this->button(playing ? 105 : 106)->state(), CoolButton::held);
        EXPECT_EQ(this->frame.focusWidget(), this->button(playing ? 106 : 105));
    }
    framework::sendMessage(this->page.get(), framework::WM_COMMAND, 105, 0);
    framework::sendMessage(this->page.get(), framework::WM_COMMAND, 106, 0);
    EXPECT_FALSE(this->page->isPlaying());
    EXPECT_EQ(this->kind.opens(), 4) << "Play while playing opens nothing more";
}

TYPED_TEST(SoundPageProtocolTest, ANextControlMessageFollowsOnlyThePagesOwnControls) {
    this->makePage();
    this->button(105)->setFocus();
    QWidget stranger;
    framework::sendMessage(this->page.get(), framework::WM_NEXTDLGCTL,
                           reinterpret_cast<framework::WPARAM>(&stranger), 1);
    EXPECT_EQ(this->frame.focusWidget(), this->button(105));
    framework::sendMessage(this->page.get(), framework::WM_NEXTDLGCTL,
                           reinterpret_cast<framework::WPARAM>(this->page->slider(110)), 1);
    EXPECT_EQ(this->frame.focusWidget(), this->page->slider(110));
}

// A hidden page that played at start-up would sound where Space, Stop and the stop on losing the
// focus cannot reach it.
TYPED_TEST(SoundPageProtocolTest, PlayOnStartPlaysOnlyThePageOnTop) {
    settings::PlayOnStart = true;
    this->makePage(false);
    EXPECT_FALSE(this->page->isPlaying());
    this->page.reset();

    this->makePage(true);
    EXPECT_TRUE(this->page->isPlaying());
    this->send(page::stop);
}

// The tab window sets up a page behind another tab after the window's first frame: a settings
// change or a Stop may reach it before that, and its set-up takes the settings anyway.
TYPED_TEST(SoundPageProtocolTest, APageNotSetUpYetTakesSettingsAndStopWithoutItsControls) {
    this->page = std::make_unique<typename TestFixture::Page>(&this->frame, this->kind.services);
    EXPECT_EQ(this->send(page::settingsChanged), 0);
    EXPECT_EQ(this->send(page::stop), 0);
    EXPECT_FALSE(this->page->isPlaying());
    this->page->create();
    EXPECT_NE(this->button(105), nullptr);
}

TYPED_TEST(SoundPageProtocolTest, MinimizeOnStartAsksTheMainWindowAndNothingElseIsPosted) {
    this->makePage();
    EXPECT_TRUE(this->frame.received.empty());
    EXPECT_FALSE(this->page->isPlaying());
    this->page.reset();

    settings::MinimizeOnStart = true;
    this->makePage();
    ASSERT_EQ(this->frame.received.size(), 1u);
    EXPECT_EQ(this->frame.received[0],
              std::pair(framework::WM_SYSCOMMAND, framework::WPARAM{framework::SC_MINIMIZE}));
}

TYPED_TEST(SoundPageProtocolTest, AnOutputThatGoesAwayStopsThePageWithOneBoxAndPlayWorksAgain) {
    this->makePage();
    this->send(page::play);
    this->kind.playSome(*this->page);
    this->kind.loseOutput();
    for (unsigned i = 0; i < platform::OutputLostFlag::kLookEvery; ++i) {
        this->kind.playSome(*this->page);  // the steps and ticks go on meeting a lost device
    }
    QTest::qWait(3 * framework::OutputWatch::kIntervalMs);
    EXPECT_FALSE(this->page->isPlaying());
    EXPECT_FALSE(this->kind.timer.hasEvents()) << "no step or tick runs after the stop";
    EXPECT_EQ(this->button(106)->state(), CoolButton::held);
    QTest::qWait(2 * framework::OutputWatch::kIntervalMs);
    EXPECT_EQ(this->shownCount(framework::outputLostText), 1);

    this->kind.findOutputAgain();
    this->send(page::play);
    this->kind.playSome(*this->page);
    QTest::qWait(2 * framework::OutputWatch::kIntervalMs);
    EXPECT_TRUE(this->page->isPlaying());
    EXPECT_EQ(this->shownCount(framework::outputLostText), 1);
    this->send(page::stop);
}

TYPED_TEST(SoundPageProtocolTest, ClosingThePageWhilePlayingStopsItsOutputAndTimer) {
    this->makePage();
    this->send(page::play);
    this->kind.playSome(*this->page);
    this->page.reset();
    EXPECT_FALSE(this->kind.timer.hasEvents());
    EXPECT_EQ(this->kind.timer.periodsHeld(), 0);
    EXPECT_FALSE(this->kind.outputOpen());
}

// Dropouts are told once a play, when they repeat, with the buffer the server now keeps; the
// readouts leave the status bar to the notice meanwhile.
TYPED_TEST(SoundPageProtocolTest, RepeatedDropoutsAreToldOnceAPlayAndHoldTheStatusBar) {
    this->makePage();
    this->send(page::play);
    platform::noteUnderrun();
    QTest::qWait(2 * pages::SoundPage::readoutIntervalMs);
    const QString notice = QStringLiteral(
        "The sound dropped out 2 times since Play; the sound server now keeps 45 ms.");
    EXPECT_FALSE(this->kind.status.texts.contains(notice)) << "one dropout is no repeat";
    platform::noteServerBuffer(45);
    platform::noteUnderrun();
    QTest::qWait(2 * pages::SoundPage::readoutIntervalMs);
    ASSERT_EQ(this->kind.status.texts.count(notice), 1);
    this->kind.playSome(*this->page);
    QTest::qWait(2 * pages::SoundPage::readoutIntervalMs);
    EXPECT_EQ(this->kind.status.texts.back(), notice) << "held against the readouts";
    platform::noteUnderrun();
    platform::noteUnderrun();
    QTest::qWait(2 * pages::SoundPage::readoutIntervalMs);
    EXPECT_EQ(this->kind.status.texts.count(notice), 1);
    platform::noteServerBuffer(0);
    this->send(page::stop);
}

}  // namespace
}  // namespace soundpagetest
