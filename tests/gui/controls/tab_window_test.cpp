#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTabBar>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

#include "controls/win95_tab_window.h"
#include "fake_page.h"
#include "support/qt_application.h"

namespace {

using controls::TWin95TabWindow;
using testpages::FakePage;
namespace page = framework::page;

struct Pages {
    FakePage wave{testpages::waveTemplate};
    FakePage midi{testpages::midiTemplate};
    FakePage dsound{testpages::dsoundTemplate};
    QWidget* list[4] = {&wave, &midi, &dsound, nullptr};

    void clear() {
        wave.received.clear();
        midi.received.clear();
        dsound.received.clear();
    }
};

// A frame like the main window: the tab window over a status line.
struct Frame {
    QWidget window;
    QVBoxLayout* layout = new QVBoxLayout(&window);
    Frame() {
        layout->setContentsMargins(0, 0, 0, 0);
        window.resize(300, 200);
    }
    void add(QWidget* client) {
        layout->addWidget(client, 1);
        auto* status = new QWidget(&window);
        status->setFixedHeight(20);
        layout->addWidget(status);
    }
};

TEST(TabWindow, PagesAreFoundByIndexAndAnAbsentPageIsMinusOne) {
    Pages pages;
    FakePage stranger{testpages::waveTemplate};
    TWin95TabWindow tabs(nullptr, pages.list);
    EXPECT_EQ(tabs.pageCount(), 3);
    EXPECT_EQ(tabs.indexOf(&pages.midi), 1);
    EXPECT_EQ(tabs.indexOf(&stranger), -1);
    EXPECT_EQ(tabs.pageAt(2), &pages.dsound);
    EXPECT_EQ(tabs.pageAt(3), nullptr);
}

TEST(TabWindow, ATwentyFirstPageIsRefused) {
    std::vector<std::unique_ptr<FakePage>> many;
    TWin95TabWindow tabs(nullptr);
    for (int i = 0; i < 21; ++i) {
        many.push_back(std::make_unique<FakePage>(testpages::waveTemplate));
        const int index = tabs.addPage(many.back().get());
        EXPECT_EQ(index, i < 20 ? i : -1);
    }
    EXPECT_EQ(tabs.pageCount(), 20);
}

TEST(TabWindow, AnEmptyTabWindowHasNoTabsUntilPagesAreAdded) {
    Frame frame;
    auto* tabs = new TWin95TabWindow(&frame.window);
    frame.add(tabs);
    tabs->create();
    ASSERT_NE(tabs->tabControl(), nullptr);
    EXPECT_EQ(tabs->tabControl()->count(), 0);
    EXPECT_EQ(tabs->selectedIndex(), -1);
    tabs->fitFrameToPages();  // no page to measure: nothing happens

    Pages pages;
    EXPECT_EQ(tabs->addPage(&pages.wave), 0);
    EXPECT_EQ(tabs->tabControl()->count(), 1);
    EXPECT_EQ(tabs->tabControl()->tabText(0), QStringLiteral("Wave"));
    EXPECT_EQ(pages.wave.parentWidget(), tabs);
    EXPECT_TRUE(pages.wave.isCreated());
    delete tabs;  // hands the page back rather than deleting it
    EXPECT_EQ(pages.wave.parentWidget(), nullptr);
}

TEST(TabWindow, SizesSetAtConstructionStayAndZeroTakesTheParentsClientSize) {
    QWidget parent;
    parent.resize(500, 400);
    Pages pages;
    TWin95TabWindow tabs(&parent, pages.list);
    tabs.attr.w = 320;
    tabs.create();
    EXPECT_EQ(tabs.tabControl()->geometry(), QRect(0, 0, 320, 400));
}

TEST(TabWindow, SettingUpThreePagesEntersTheFirstAndLeavesNone) {
    // A page started by its own set-up (PlayOnStart) must not be stopped by the tab window's.
    Frame frame;
    Pages pages;
    auto* tabs = new TWin95TabWindow(&frame.window, pages.list);
    frame.add(tabs);
    frame.window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(tabs->selectedIndex(), 0);
    EXPECT_EQ(pages.wave.received, std::vector<framework::UINT>{page::updateTitle});
    EXPECT_TRUE(pages.midi.received.empty());
    EXPECT_TRUE(pages.dsound.received.empty());
    EXPECT_FALSE(pages.dsound.isVisible());
}

// The window's first frame shows one page: the others are set up after it, or before when
// something reaches them first (their tab, a broadcast), so that no page meets a message
// without its controls.
TEST(TabWindow, ThePagesNotShownAreSetUpAfterTheFirstFrameOrWhenSomethingReachesThemFirst) {
    {
        Frame frame;
        Pages pages;
        auto* tabs = new TWin95TabWindow(&frame.window, pages.list);
        frame.add(tabs);
        tabs->create();
        EXPECT_TRUE(pages.wave.isCreated());
        EXPECT_FALSE(pages.midi.isCreated());
        EXPECT_FALSE(pages.dsound.isCreated());
        frame.window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame.window));
        EXPECT_TRUE(QTest::qWaitFor([&] { return pages.midi.isCreated(); }, 1000));
        EXPECT_TRUE(pages.dsound.isCreated());
    }
    {
        Frame frame;
        Pages pages;
        auto* tabs = new TWin95TabWindow(&frame.window, pages.list);
        frame.add(tabs);
        tabs->create();
        tabs->select(2);  // before any frame
        EXPECT_TRUE(pages.dsound.isCreated());
        EXPECT_NE(pages.dsound.item(105), nullptr);
        EXPECT_FALSE(pages.midi.isCreated());
        framework::postMessage(tabs, page::settingsChanged);
        QCoreApplication::processEvents();
        EXPECT_TRUE(pages.midi.isCreated()) << "set up before the broadcast reached it";
        QCoreApplication::processEvents();
        EXPECT_EQ(pages.midi.count(page::settingsChanged), 1);
    }
}

TEST(TabWindow, SwitchingTabsStopsThePageLeftAndUpdatesTheTitleFromThePageEntered) {
    Frame frame;
    Pages pages;
    auto* tabs = new TWin95TabWindow(&frame.window, pages.list);
    frame.add(tabs);
    frame.window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(tabs->selectedIndex(), 0);
    EXPECT_TRUE(pages.wave.isVisible());
    EXPECT_FALSE(pages.midi.isVisible());
    EXPECT_EQ(pages.wave.count(page::updateTitle), 1);
    pages.clear();

    // A user's click on the Midi tab; the Wave page was not playing and is stopped all the same.
    QTabBar* bar = tabs->tabControl()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(tabs->selectedIndex(), 1);
    EXPECT_EQ(pages.wave.received, std::vector<framework::UINT>{page::tabLeft});
    EXPECT_EQ(pages.midi.received, std::vector<framework::UINT>{page::updateTitle});
    EXPECT_FALSE(pages.wave.isVisible());
    EXPECT_TRUE(pages.midi.isVisible());
    const QRect area = tabs->tabControl()->displayRect().translated(tabs->tabControl()->pos());
    EXPECT_EQ(pages.midi.geometry(), area);
    pages.clear();

    tabs->select(2);
    QCoreApplication::processEvents();
    EXPECT_EQ(pages.midi.received, std::vector<framework::UINT>{page::tabLeft});
    EXPECT_EQ(pages.dsound.received, std::vector<framework::UINT>{page::updateTitle});
    EXPECT_TRUE(pages.wave.received.empty());
}

TEST(TabWindow, BroadcastsReachEveryPageAndTheTitleUpdateOnlyTheCurrentOne) {
    Frame frame;
    Pages pages;
    auto* tabs = new TWin95TabWindow(&frame.window, pages.list);
    frame.add(tabs);
    frame.window.show();
    QCoreApplication::processEvents();
    pages.clear();
    framework::postMessage(tabs, page::settingsChanged, 7, 9);
    framework::postMessage(tabs, page::broadcast);
    framework::sendMessage(tabs, page::updateTitle);
    QCoreApplication::processEvents();  // the tab window relays
    QCoreApplication::processEvents();  // the pages receive
    for (FakePage* p : {&pages.wave, &pages.midi, &pages.dsound}) {
        EXPECT_EQ(p->count(page::settingsChanged), 1);
        EXPECT_EQ(p->count(page::broadcast), 1);
    }
    EXPECT_EQ(pages.wave.count(page::updateTitle), 1);
    EXPECT_EQ(pages.midi.count(page::updateTitle), 0);
}

TEST(TabWindow, TheFrameIsSizedSoTheLargestPageFits) {
    Frame frame;
    Pages pages;
    auto* tabs = new TWin95TabWindow(&frame.window, pages.list);
    frame.add(tabs);
    frame.window.show();
    QCoreApplication::processEvents();
    frame.window.resize(200, 150);  // too small; the fit message grows it back
    QCoreApplication::processEvents();
    framework::sendMessage(tabs, page::fitFrame);
    QCoreApplication::processEvents();
    // Widest template 169 (Wave), tallest 120 (Midi), each taken separately.
    const QSize wanted = pages.wave.MapDialogRect(QRect(0, 0, 169, 120)).size();
    EXPECT_EQ(tabs->tabControl()->displayRect().size(), wanted);
    EXPECT_EQ(pages.wave.geometry().size(), wanted);
}

TEST(TabWindow, CanCloseAsksEveryPageAndStopsAtTheFirstRefusal) {
    Pages pages;
    TWin95TabWindow tabs(nullptr, pages.list);
    EXPECT_TRUE(tabs.canClose());
    pages.midi.allowClose = false;
    EXPECT_FALSE(tabs.canClose());
}

TEST(TabWindow, RemovingAPageMovesTheLaterOnesDown) {
    Frame frame;
    Pages pages;
    auto* tabs = new TWin95TabWindow(&frame.window, pages.list);
    frame.add(tabs);
    tabs->create();
    EXPECT_EQ(tabs->removePageAt(1), &pages.midi);
    EXPECT_EQ(tabs->pageCount(), 2);
    EXPECT_EQ(tabs->pageAt(1), &pages.dsound);
    EXPECT_EQ(tabs->tabControl()->count(), 2);
    EXPECT_EQ(tabs->tabControl()->tabText(1), QStringLiteral("DirectSound"));
    EXPECT_EQ(tabs->removePageAt(5), nullptr);
    tabs->removePage(&pages.wave);
    EXPECT_EQ(tabs->indexOf(&pages.wave), -1);
    EXPECT_EQ(tabs->pageCount(), 1);
}

}  // namespace
