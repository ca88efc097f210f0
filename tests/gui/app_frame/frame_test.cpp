// The main frame as a user meets it: the menu, the keys, the view flags, Preferences, the
// window's size and closing.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <fstream>

#include "app/main_menu.h"
#include "app/status_label.h"
#include "controls/win95_tab_window.h"
#include "frame_fakes.h"
#include "settings/settings_store.h"
#include "support/qt_application.h"
#include "support/scoped_playing_settings.h"

namespace {

using namespace testframe;
namespace command = app::command;

struct Shown {
    QString menu;
    int id;
    QString text;
    bool enabled;
};

std::vector<Shown> menuContents(app::SDIDecFrame* frame) {
    std::vector<Shown> items;
    for (QAction* top : frame->menuBar()->actions()) {
        for (QAction* item : top->menu()->actions()) {
            items.push_back({top->text(), item->isSeparator() ? 0 : item->data().toInt(),
                             item->text(), item->isEnabled()});
        }
    }
    return items;
}

TEST_F(AppFixture, TheMenuBarHoldsEveryCommandUnderItsIdInOrder) {
    app::SDIDecFrame* frame = start();
    const std::vector<Shown> items = menuContents(frame);
    const std::vector<std::pair<int, QString>> expected = {
        {24331, "&New\tCtrl+N"},
        {24332, "&Open..."},
        {24333, "&Save\tCtrl+S"},
        {24334, "Save &As..."},
        {24339, "&Close"},
        {24340, "&Keep last performance..."},
        {24341, "&Performances..."},
        {0, ""},
        {25020, "Open settings file..."},
        {25021, "Save settings as..."},
        {0, ""},
        {24310, "E&xit\tAlt+F4"},
        {25091, "&Play\tAlt+P"},
        {25092, "&Stop\tAlt+S"},
        {25002, "&Toggle play\tSpace"},
        {0, ""},
        {25093, "&Correct pitch\tCtrl+T"},
        {25600, "&Note name"},
        {25603, "&Frequency"},
        {25604, "&Volume"},
        {0, ""},
        {25601, "Midi note &Integer"},
        {25602, "Midi note &Decimal"},
        {25605, "Nearest note and &cents"},
        {0, ""},
        {25610, "Play &surface\tF11"},
        {25006, "&Preferences..."},
        {0, ""},
        {25016, "Mixer play control..."},
        {25003, "Mixer volume..."},
        {25015, "System multimedia properties"},
        {2001, "&Contents"},
        {0, ""},
        {25998, "Check for &Updates"},
        {25996, "Lirveto product web page"},
        {25997, "Quillhorn web site"},
        {0, ""},
        {2009, "&About Lirveto..."},
    };
    ASSERT_EQ(items.size(), expected.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].id, expected[i].first) << i;
        if (expected[i].first != 0) {
            EXPECT_EQ(items[i].text, expected[i].second) << i;
        }
    }
    QStringList titles;
    for (QAction* top : frame->menuBar()->actions()) {
        titles << top->text();
    }
    EXPECT_EQ(titles, QStringList({"&File", "&Control", "&View", "&Options", "&Help"}));
    EXPECT_EQ(frame->windowTitle(), "Lirveto");
}

TEST_F(AppFixture, SaveSaveAsAndCloseFollowThePageOnTopAndOpenStaysGrey) {
    app::SDIDecFrame* frame = start();
    frame->updateCommandStates();
    for (int id : {command::fileSave, command::fileSaveAs, command::fileClose, command::fileOpen}) {
        EXPECT_FALSE(frame->menuAction(id)->isEnabled()) << id;
    }
    EXPECT_TRUE(frame->menuAction(command::fileNew)->isEnabled());

    // A file open but still empty: only Close.
    wavePage->fileOpen = 1;
    frame->updateCommandStates();
    EXPECT_FALSE(frame->menuAction(command::fileSave)->isEnabled());
    EXPECT_TRUE(frame->menuAction(command::fileClose)->isEnabled());

    wavePage->notEmpty = 1;
    frame->updateCommandStates();
    for (int id : {command::fileSave, command::fileSaveAs, command::fileClose}) {
        EXPECT_TRUE(frame->menuAction(id)->isEnabled()) << id;
    }
    EXPECT_FALSE(frame->menuAction(command::fileOpen)->isEnabled());

    // Only the page on top is asked.
    app->tabWindow()->select(1);
    frame->updateCommandStates();
    EXPECT_FALSE(frame->menuAction(command::fileSave)->isEnabled());
}

TEST_F(AppFixture, OpeningTheFileMenuAsksThePageAgain) {
    app::SDIDecFrame* frame = start();
    frame->updateCommandStates();
    wavePage->notEmpty = 1;
    wavePage->fileOpen = 1;
    QMenu* file = frame->menuBar()->actions().front()->menu();
    emit file->aboutToShow();
    EXPECT_TRUE(frame->menuAction(command::fileSave)->isEnabled());
}

TEST_F(AppFixture, AStatusTextTooLongForTheBarIsShortenedAndWholeInTheTooltip) {
    app::SDIDecFrame* frame = start();
    const int width = frame->width();
    const QString note = QStringLiteral("Settings file damaged, defaults used; kept as ") +
                         QString(200, QLatin1Char('x')) + QStringLiteral("/Lirveto.reg.damaged");
    frame->setStatusText(note);
    QCoreApplication::processEvents();
    const auto* label = frame->statusBar()->findChild<app::StatusLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(frame->width(), width) << "the bar does not widen the window";
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width());
    EXPECT_TRUE(label->text().endsWith(QStringLiteral("damaged"))) << "shortened in the middle";
    EXPECT_EQ(label->toolTip(), note);
    EXPECT_EQ(frame->statusText(), note);

    frame->setStatusText(QStringLiteral("1000 Hz"));
    EXPECT_EQ(label->text(), QStringLiteral("1000 Hz"));
    EXPECT_TRUE(label->toolTip().isEmpty());
}

// A playing page's readout changes several times a second: each change repaints the text and
// asks the bar for no new layout (a relayout of the bar cost more than the repaint).
TEST_F(AppFixture, ANewStatusTextRepaintsItWithoutLayingOutTheBarAgain) {
    app::SDIDecFrame* frame = start();
    auto* label = frame->statusBar()->findChild<app::StatusLabel*>();
    ASSERT_NE(label, nullptr);
    struct LayoutRequests : QObject {
        int count = 0;
        bool eventFilter(QObject* watched, QEvent* event) override {
            count += event->type() == QEvent::LayoutRequest ? 1 : 0;
            return QObject::eventFilter(watched, event);
        }
    } requests;
    frame->statusBar()->installEventFilter(&requests);
    for (const char* readout : {"  440Hz  69 A 4     40", "  445Hz  69 A 4     41", "1000 Hz"}) {
        frame->setStatusText(QString::fromUtf8(readout));
        QCoreApplication::processEvents();
        EXPECT_EQ(label->text(), QString::fromUtf8(readout));
    }
    EXPECT_EQ(requests.count, 0);
    frame->statusBar()->removeEventFilter(&requests);
}

TEST_F(AppFixture, ADamagedSettingsStoreIsNamedInTheStatusBarAtStart) {
    app.reset();
    const std::filesystem::path store =
        std::filesystem::path(folder.path().toStdString()) / "Quillhorn" / "Lirveto.reg";
    std::filesystem::create_directories(store.parent_path());
    std::ofstream(store) << "not a registry file\n";
    testing::internal::CaptureStderr();
    makeApp();
    testing::internal::GetCapturedStderr();
    const app::SDIDecFrame* frame = start();
    EXPECT_TRUE(frame->statusText().contains(QStringLiteral("damaged")))
        << frame->statusText().toStdString();
    EXPECT_TRUE(std::filesystem::exists(store.string() + ".damaged"));
}

TEST_F(AppFixture, HighlightedItemsShowTheirHintInTheStatusBar) {
    app::SDIDecFrame* frame = start();
    frame->setStatusText("1000 Hz");
    QAction* item = frame->menuAction(command::togglePlay);
    item->showStatusText(frame);
    EXPECT_EQ(frame->statusBar()->currentMessage(), "Toggle sound output");
    frame->menuAction(command::fileOpen)->showStatusText(frame);
    EXPECT_EQ(frame->statusBar()->currentMessage(), "");
    EXPECT_EQ(frame->menuAction(command::exit)->statusTip(), "Save and Quit Lirveto");
    EXPECT_EQ(frame->menuAction(command::about)->statusTip(), "About the Lirveto program");
    EXPECT_EQ(frame->statusText(), "1000 Hz");
    EXPECT_EQ(frame->statusBar()->font().pointSize(), 9);
}

TEST_F(AppFixture, MidiNoteIntegerAndDecimalExcludeEachOtherAndSwitchOff) {
    app::SDIDecFrame* frame = start();
    QAction* integer = frame->menuAction(command::viewMidiInteger);
    QAction* decimal = frame->menuAction(command::viewMidiDecimal);
    settings::ViewNoteMid = 0;
    integer->trigger();
    EXPECT_EQ(settings::ViewNoteMid.load(), 1);
    decimal->trigger();
    frame->updateCommandStates();
    EXPECT_EQ(settings::ViewNoteMid.load(), 2);
    EXPECT_FALSE(integer->isChecked());
    EXPECT_TRUE(decimal->isChecked());
    decimal->trigger();
    frame->updateCommandStates();
    EXPECT_EQ(settings::ViewNoteMid.load(), 0);
    EXPECT_FALSE(integer->isChecked());
    EXPECT_FALSE(decimal->isChecked());
    integer->trigger();
    integer->trigger();
    EXPECT_EQ(settings::ViewNoteMid.load(), 0);
}

TEST_F(AppFixture, TheShowFlagsFlipAndCarryTheirCheckMarks) {
    app::SDIDecFrame* frame = start();
    frame->menuAction(command::viewNoteName)->trigger();
    frame->updateCommandStates();
    EXPECT_EQ(settings::ViewNoteName.load(), 0);
    EXPECT_FALSE(frame->menuAction(command::viewNoteName)->isChecked());
    EXPECT_TRUE(frame->menuAction(command::viewFrequency)->isChecked());
    frame->menuAction(command::viewNoteName)->trigger();
    EXPECT_EQ(settings::ViewNoteName.load(), 1);
}

// A View change is about the readout alone: the page's settings refresh (which, on the Midi page,
// takes the MIDI volume from the Wave page's) must not run.
TEST_F(AppFixture, AViewChangeAsksThePageOnTopToShowItsReadoutAgainAndNothingElse) {
    app::SDIDecFrame* frame = start();
    for (int id : {command::viewNoteName, command::viewFrequency, command::viewVolume,
                   command::viewMidiInteger, command::viewMidiDecimal, command::viewNoteCents}) {
        wavePage->received.clear();
        frame->menuAction(id)->trigger();
        QCoreApplication::processEvents();
        EXPECT_EQ(wavePage->count(page::viewChanged), 1) << id;
        EXPECT_EQ(wavePage->count(page::settingsChanged), 0) << id;
    }
    EXPECT_EQ(midiPage->count(page::viewChanged), 0);
}

// No settings stored yet: the window says how to play, under the pages, and one click chooses
// the Semitones layout; the next start, with settings, shows nothing new.
TEST_F(AppFixture, AFirstStartSaysHowToPlayAndOffersTheSemitonesLayoutOnce) {
    ScopedPlayingSettings restorePlaying;
    app::SDIDecFrame* frame = start();
    app::FirstStartHint* hint = app->firstStartHint();
    ASSERT_NE(hint, nullptr);
    for (const char* words : {"Space", "F11", "across for the pitch", "start with Space"}) {
        EXPECT_TRUE(hint->text().contains(QString::fromUtf8(words))) << words;
    }
    EXPECT_GE(hint->mapTo(frame, QPoint(0, 0)).y(), frame->client()->geometry().bottom())
        << "under the pages, never over them";
    const int withHint = frame->height();

    hint->semitonesButton()->click();
    EXPECT_EQ(settings::CursorLayout, settings::PitchLayout::Semitones);
    EXPECT_FALSE(hint->semitonesButton()->isEnabled());
    EXPECT_TRUE(std::filesystem::exists(registryFile())) << "kept at once";
    hint->closeButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(app->firstStartHint(), nullptr);
    EXPECT_LT(frame->height(), withHint);
    EXPECT_EQ(frame->maximumSize(), frame->size());

    app.reset();
    makeApp();
    start();
    EXPECT_EQ(app->firstStartHint(), nullptr);
}

class FrameKeys : public AppFixture {
  protected:
    app::SDIDecFrame* startActive() {
        app::SDIDecFrame* frame = start();
        QApplication::setActiveWindow(frame);
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame));
        return frame;
    }
};

TEST_F(FrameKeys, SpaceOnAFocusedButtonTogglesThePageOnTopOnceAndClicksNothing) {
    startActive();
    auto* button = wavePage->findChild<QPushButton*>();
    ASSERT_NE(button, nullptr);
    button->setFocus();
    QSignalSpy clicks(button, &QPushButton::clicked);
    QTest::keyClick(button, Qt::Key_Space);
    QCoreApplication::processEvents();
    EXPECT_EQ(wavePage->count(page::toggle), 1);
    EXPECT_EQ(midiPage->count(page::toggle), 0);
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(FrameKeys, PlayStopAndNewKeysReachThePageFromTheTabControl) {
    startActive();
    QWidget* tabs = app->tabWindow()->tabControl();
    tabs->setFocus();
    QTest::keyClick(tabs, Qt::Key_P, Qt::AltModifier);
    QTest::keyClick(tabs, Qt::Key_S, Qt::AltModifier);
    QTest::keyClick(tabs, Qt::Key_N, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(wavePage->received, (std::vector<UINT>{page::play, page::stop, page::fileNew}));
}

TEST_F(FrameKeys, CtrlTSwitchesThePitchCorrectionMidPhraseAndItsItemShowsIt) {
    ScopedPlayingSettings restorePlaying;
    settings::Correction = false;
    app::SDIDecFrame* frame = startActive();
    QTest::keyClick(frame, Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(settings::Correction);
    frame->updateCommandStates();
    EXPECT_TRUE(frame->menuAction(command::pitchCorrection)->isChecked());
    QTest::keyClick(app->tabWindow()->tabControl(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_FALSE(settings::Correction);
    frame->updateCommandStates();
    EXPECT_FALSE(frame->menuAction(command::pitchCorrection)->isChecked());
    QCoreApplication::processEvents();
    EXPECT_TRUE(wavePage->received.empty()) << "the page plays on: no stop, no restart";
}

TEST_F(FrameKeys, CtrlSSavesOnlyWhenThePageHasSomethingToSave) {
    app::SDIDecFrame* frame = startActive();
    QTest::keyClick(frame, Qt::Key_S, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(wavePage->count(page::fileSave), 0);
    wavePage->notEmpty = 1;
    QTest::keyClick(frame, Qt::Key_S, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(wavePage->count(page::fileSave), 1);
}

TEST_F(AppFixture, TheSystemMenuToggleAndMinimiseReachTheirTargets) {
    app::SDIDecFrame* frame = start();
    sendMessage(frame, WM_SYSCOMMAND, command::togglePlay);
    QCoreApplication::processEvents();
    EXPECT_EQ(wavePage->count(page::toggle), 1);
    sendMessage(frame, WM_SYSCOMMAND, SC_MINIMIZE);
    EXPECT_TRUE(frame->windowState() & Qt::WindowMinimized);
    frame->bringToFront();
    EXPECT_FALSE(frame->windowState() & Qt::WindowMinimized);
}

TEST_F(AppFixture, PreferencesStopsThePageOpensTheSheetAndSavesTheSettingsEvenOnCancel) {
    app::SDIDecFrame* frame = start();
    ASSERT_FALSE(std::filesystem::exists(registryFile()));
    settings::Pitch = 7;
    QWidget* shownSheet = nullptr;
    // The sheet runs modally: look at it, change a box and cancel it from inside its loop.
    QTimer::singleShot(0, [&] {
        framework::TPropertySheet* sheet = app->preferencesSheet();
        ASSERT_NE(sheet, nullptr);
        shownSheet = sheet;
        EXPECT_TRUE(sheet->isModal());
        EXPECT_EQ(sheet->parentWidget(), frame);
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(wavePage->count(page::stop), 1) << "stopped before the sheet is used";
        settings::PlayOnStart = false;
        qobject_cast<QAbstractButton*>(sheet->page(0)->item(302))->setChecked(true);
        sheet->reject();
    });
    frame->menuAction(command::preferences)->trigger();
    EXPECT_NE(shownSheet, nullptr);
    EXPECT_EQ(app->preferencesSheet(), nullptr);
    EXPECT_EQ(midiPage->count(page::stop), 0);
    EXPECT_FALSE(settings::PlayOnStart) << "cancel takes nothing from the sheet";
    ASSERT_TRUE(std::filesystem::exists(registryFile()));
    settings::Pitch = 3;
    settings::loadSettings(nullptr);
    EXPECT_EQ(settings::Pitch.load(), 7);
    EXPECT_EQ(frame->menuAction(command::preferences)->text(), "&Preferences...");
    EXPECT_EQ(frame->menuAction(command::preferences)->statusTip(), "Configure program operation");
}

// Modeless, so a play can go on beside it; a second command brings the same dialog forward.
TEST_F(AppFixture, PerformancesOpensOneModelessDialogOverTheFrame) {
    app::SDIDecFrame* frame = start();
    frame->menuAction(command::performances)->trigger();
    QPointer<app::PerformancesDlg> dialog = app->performancesDlg();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->parentWidget(), frame);
    frame->menuAction(command::performances)->trigger();
    EXPECT_EQ(app->performancesDlg(), dialog.data());
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(dialog, nullptr);
}

TEST_F(AppFixture, LosingTheFocusToAnotherProgramStopsThePageOnTopUnlessTheSoundShouldGoOn) {
    const bool savedStopFocus = settings::StopFocus;
    start();
    settings::StopFocus = false;
    app->applicationStateChanged(Qt::ApplicationActive);
    app->applicationStateChanged(Qt::ApplicationInactive);
    QCoreApplication::processEvents();
    EXPECT_EQ(wavePage->count(page::stop), 1);
    EXPECT_EQ(midiPage->count(page::stop), 0);

    settings::StopFocus = true;
    app->applicationStateChanged(Qt::ApplicationInactive);
    QCoreApplication::processEvents();
    EXPECT_EQ(wavePage->count(page::stop), 1);
    settings::StopFocus = savedStopFocus;
}

TEST_F(AppFixture, AlwaysOnTopChangesAtOnceWithoutHidingTheWindow) {
    const bool savedOnTop = settings::OnTop;
    settings::OnTop = true;
    makeApp();
    app::SDIDecFrame* frame = start();
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowStaysOnTopHint) << "the stored choice at start";
    frame->setAlwaysOnTop(false);
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowStaysOnTopHint);
    ASSERT_NE(frame->windowHandle(), nullptr);
    EXPECT_FALSE(frame->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(frame->isVisible());
    frame->setAlwaysOnTop(true);
    EXPECT_TRUE(frame->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(frame->isVisible());
    settings::OnTop = savedOnTop;
}

TEST_F(AppFixture, TheFrameIsPinnedToTheSizeItsPagesGiveIt) {
    app::SDIDecFrame* frame = start();
    EXPECT_GT(frame->height(), 50);
    EXPECT_EQ(frame->minimumSize(), frame->size());
    EXPECT_EQ(frame->maximumSize(), frame->size());
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowMinimizeButtonHint);
    // The page fits inside the tab window, which sits between the menu and the status bar.
    QWidget* page = wavePage;
    const QRect pageInFrame(page->mapTo(frame, QPoint(0, 0)), page->size());
    EXPECT_TRUE(frame->rect().contains(pageInFrame));
    EXPECT_GE(page->width(), testpages::waveTemplate.cx);
    EXPECT_LE(pageInFrame.bottom(), frame->statusBar()->geometry().top());
}

TEST_F(AppFixture, AFrameNoTallerThanFiftyIsLeftFree) {
    app::SDIDecFrame* frame = start();
    frame->setMinimumSize(0, 0);
    frame->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    frame->menuBar()->hide();
    frame->statusBar()->hide();
    frame->resize(200, 40);
    QCoreApplication::processEvents();
    if (frame->height() <= 50) {
        EXPECT_FALSE(frame->pinSize());
        EXPECT_EQ(frame->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    }
}

TEST_F(AppFixture, ClosingSavesTheSettingsEvenWhenAPageKeepsTheProgramOpen) {
    app::SDIDecFrame* frame = start();
    midiPage->allowClose = false;
    settings::Volume = 33;
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(std::filesystem::exists(registryFile()));

    midiPage->allowClose = true;
    settings::Volume = 44;
    frame->menuAction(command::exit)->trigger();
    EXPECT_FALSE(frame->isVisible());
    settings::Volume = 0;
    settings::loadSettings(nullptr);
    EXPECT_EQ(settings::Volume.load(), 44);
}

TEST_F(AppFixture, HelpOnAMenuItemShowsThatCommandsPopup) {
    app::SDIDecFrame* frame = start();
    HelpInfo info;
    info.contextType = app::HELPINFO_MENUITEM;
    info.ctrlId = command::togglePlay;
    sendMessage(frame, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_EQ(help.calls.size(), 1u);
    EXPECT_EQ(help.calls.back(), "popup  25002");  // no help bundle beside the test
}

TEST_F(AppFixture, MinimisedStartsStayMinimisedAndMaximisedOnesShowNormal) {
    EXPECT_EQ(app::App::adjustShowCommand(app::show::minimized), app::show::minimized);
    EXPECT_EQ(app::App::adjustShowCommand(app::show::maximized), app::show::normal);
    EXPECT_EQ(app::App::adjustShowCommand(0), app::show::normal);
    app::SDIDecFrame* frame = start(app::show::minimized);
    EXPECT_TRUE(frame->windowState() & Qt::WindowMinimized);
}

}  // namespace
