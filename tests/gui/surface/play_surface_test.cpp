// The play surface as a player meets it: it covers the screen, the pointer over it plays, its
// keys leave or toggle, and it comes back at the next start.

#include "surface/play_surface.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <fstream>
#include <future>
#include <iterator>

#include "app/main_menu.h"
#include "engine/tone/cursor_mapping.h"
#include "engine/tone/sounding_note.h"
#include "gui/app_frame/frame_fakes.h"
#include "platform/backends/qt/any_thread_cursor_source.h"
#include "settings/settings_values.h"
#include "support/qt_application.h"
#include "support/scoped_playing_settings.h"

namespace {

using surface::GuideMapping;
using surface::PlaySurface;

struct ScopedSurfaceFlag {
    bool saved = settings::PlaySurface;
    ~ScopedSurfaceFlag() { settings::PlaySurface = saved; }
};

TEST(PlaySurface, CoversThePrimaryScreenAndFeedsTheCursorSourceInScreenCoordinates) {
    ScopedSurfaceFlag restore;
    platform::AnyThreadCursorSource source;
    PlaySurface window([] { return GuideMapping::frequency; });
    window.enter();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.geometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_TRUE(settings::PlaySurface);

    // (0, 0) would be taken as "the middle" by QTest, so the left edge is met one row down.
    for (const QPoint at : {QPoint(321, 123), QPoint(0, 5), QPoint(window.width() - 1, 640)}) {
        QTest::mouseMove(&window, at);
        const QPoint onScreen = window.mapToGlobal(at);
        // Read as a timer step reads it: on another thread, the GUI thread asking nothing.
        const platform::CursorPosition seen =
            std::async(std::launch::async, [&source] { return source.cursorPosition(); }).get();
        EXPECT_EQ(seen, (platform::CursorPosition{onScreen.x(), onScreen.y()}));
    }
}

TEST(PlaySurface, EscapeAndF11LeaveItAndTheWindowManagersCloseOnlyHidesIt) {
    ScopedSurfaceFlag restore;
    PlaySurface window([] { return GuideMapping::frequency; });
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_F11}) {
        window.enter();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::keyClick(&window, key);
        EXPECT_FALSE(window.isVisible()) << key;
        EXPECT_FALSE(settings::PlaySurface);
    }
    window.enter();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(window.close() == false || !window.isVisible());
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(settings::PlaySurface);
}

// Shown and silent, the surface would otherwise wake the GUI thread every display frame for
// nothing; it still notices a Play on its own, within a few looks.
TEST(PlaySurface, ItsClockFollowsEveryFrameWhileANoteSoundsAndLooksOnlyNowAndThenWhileNoneDoes) {
    ScopedSurfaceFlag restoreFlag;
    engine::publishSilence();
    PlaySurface window([] { return GuideMapping::frequency; });
    window.enter();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.followFrame();
    const int silentPace = window.framePace();
    EXPECT_GE(silentPace, 100) << "a few looks a second";

    engine::publishSoundingFrequency(440, 40);  // a page started playing
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.framePace() < silentPace; }, 3 * silentPace))
        << "the clock noticed the note by itself";
    EXPECT_LE(window.framePace(), 50) << "a display frame";

    engine::publishSilence();
    window.followFrame();
    EXPECT_EQ(window.framePace(), silentPace);
    window.leave();
    EXPECT_EQ(window.framePace(), 0);
}

// A play back moves the disc to its reads, device pixels scaled to the surface's; the hand's
// pointer takes the disc back once it ends.
TEST(PlaySurface, TheDiscFollowsAPlayBackAndThenThePointerAgain) {
    ScopedSurfaceFlag restore;
    std::optional<QPoint> replayed;
    PlaySurface window([] { return GuideMapping::frequency; }, [&replayed] { return replayed; });
    window.enter();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const double scale = window.devicePixelRatioF();
    replayed = QPoint(400, 300);
    window.followFrame();
    EXPECT_EQ(window.disc(), QPoint(int(400 / scale), int(300 / scale)));
    QTest::mouseMove(&window, QPoint(50, 60));
    EXPECT_EQ(window.disc(), QPoint(int(400 / scale), int(300 / scale))) << "the play back's";
    replayed.reset();
    window.followFrame();
    EXPECT_FALSE(window.disc());
    QTest::mouseMove(&window, QPoint(70, 80));
    EXPECT_EQ(window.disc(), QPoint(70, 80));
    window.leave();
}

TEST(PlaySurface, TheGuideFollowsThePageOnTopAndTheSettingsFrameByFrame) {
    ScopedToneSettings restore;
    GuideMapping onTop = GuideMapping::frequency;
    PlaySurface window([&onTop] { return onTop; });
    window.resize(1000, 600);
    settings::Pitch = 1;
    window.followFrame();
    const int32_t a4AtPitch1 = window.guide().lines.empty() ? -1 : [&] {
        for (const auto& line : window.guide().lines) {
            if (line.note == 69) {
                return line.x;
            }
        }
        return -1;
    }();
    EXPECT_EQ(engine::frequencyFromCursor(a4AtPitch1, {1000, 600}), 440);

    settings::Pitch = 4;  // a slider moved
    window.followFrame();
    const auto& lines = window.guide().lines;
    const bool moved = std::none_of(lines.begin(), lines.end(), [&](const auto& line) {
        return line.note == 69 && line.x == a4AtPitch1;
    });
    EXPECT_TRUE(moved) << "A4 moves when the pitch range widens";

    const int32_t midiLines = [&] {
        onTop = GuideMapping::midi;  // the Midi tab was chosen
        window.followFrame();
        return static_cast<int32_t>(window.guide().lines.size());
    }();
    EXPECT_EQ(midiLines, std::abs(settings::MidiPitch2 - settings::MidiPitch))
        << "one line per semitone of the Midi range (its top note lies on the right edge)";

    ScopedPlayingSettings restorePlaying;
    settings::Correction = true;  // Ctrl+T while playing
    window.followFrame();
    EXPECT_TRUE(window.guide().correcting) << "the guide shows the scale from the next frame";
}

// With the application: the View item and F11 show it, the main window's keys work over it,
// and its state is kept in the registry.
class SurfaceInApp : public testframe::AppFixture {
  protected:
    std::string registryText() const {
        std::ifstream in(registryFile(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    ScopedSurfaceFlag restoreFlag;
};

TEST_F(SurfaceInApp, TheViewItemAndF11ShowItAndSpaceOverItTogglesThePageOnTop) {
    settings::PlaySurface = false;
    app::SDIDecFrame* frame = start();
    PlaySurface* window = app->playSurface();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible()) << "hidden at a first start";

    QAction* item = frame->menuAction(app::command::playSurface);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), "Play &surface\tF11");
    item->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    frame->updateCommandStates();
    EXPECT_TRUE(item->isChecked());

    QTest::keyClick(window, Qt::Key_Space);
    QCoreApplication::processEvents();
    EXPECT_EQ(wavePage->count(framework::page::toggle), 1) << "Space over the surface";
    QTest::keyClick(window, Qt::Key_P, Qt::AltModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(wavePage->count(framework::page::play), 1) << "Alt+P over the surface";

    QTest::keyClick(window, Qt::Key_F11);
    EXPECT_FALSE(window->isVisible());
    QTest::keyClick(frame, Qt::Key_F11);
    EXPECT_TRUE(window->isVisible()) << "F11 over the main window shows it again";
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(wavePage->count(framework::page::toggle), 1) << "no key toggled twice";
}

TEST_F(SurfaceInApp, ASurfaceShownAtExitOrAtASignalIsShownAgainAtTheNextStart) {
    settings::PlaySurface = false;
    start();
    app->runFrameCommand(app::command::playSurface);
    ASSERT_TRUE(app->playSurface()->isVisible());
    app->endOnSignal();
    EXPECT_NE(registryText().find("\"PlaySurface\"=hex:01"), std::string::npos);

    app.reset();
    settings::PlaySurface = false;
    makeApp();  // loads the registry as a new start does
    EXPECT_TRUE(settings::PlaySurface);
    start();
    EXPECT_TRUE(app->playSurface()->isVisible());

    app->playSurface()->leave();
    ASSERT_TRUE(app->canCloseApplication());
    EXPECT_NE(registryText().find("\"PlaySurface\"=hex:00"), std::string::npos);
}

}  // namespace
