#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QCursor>
#include <QTest>
#include <vector>

#include "controls/help_provider.h"
#include "fake_page.h"
#include "support/qt_application.h"

namespace {

using controls::ContextHelpWin;
using testpages::FakePage;
namespace tables = controls::helptables;

struct RecordingHelp : controls::HelpProvider {
    RecordingHelp() { setCurrent(this); }
    ~RecordingHelp() override { setCurrent(nullptr); }
    std::vector<std::uint32_t> popups;
    std::vector<QPoint> where;
    std::vector<std::uint32_t> contexts;
    std::vector<std::string> topics;
    bool showHelpPopup(std::uint32_t id, int x, int y) override {
        popups.push_back(id);
        where.emplace_back(x, y);
        return true;
    }
    bool showHelpContext(std::uint32_t context) override {
        contexts.push_back(context);
        return true;
    }
    bool showHelpTopic(const std::string& topic) override {
        topics.push_back(topic);
        return true;
    }
};

void rightClick(FakePage& page, QWidget* control, QPoint at) {
    const QPoint global = control->mapToGlobal(at);
    QCursor::setPos(global);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, global);
    QCoreApplication::sendEvent(control, &event);
    (void)page;
}

void pressF1(QWidget* control) {
    control->setFocus();
    QTest::keyClick(control, Qt::Key_F1);
}

TEST(ContextHelp, RightClickOnTheVolumeValueShowsPopup110AtTheCursor) {
    RecordingHelp help;
    FakePage page(testpages::waveTemplate, tables::wavePage, tables::wavePageContext);
    page.show();
    QWidget* value = page.item(108);
    ASSERT_NE(value, nullptr);
    rightClick(page, value, QPoint(2, 2));
    EXPECT_EQ(help.popups, std::vector<std::uint32_t>{110});
    ASSERT_EQ(help.where.size(), 1u);
    EXPECT_EQ(help.where[0], QCursor::pos());
}

TEST(ContextHelp, RightClickOnAnEmptyPartOfThePageShowsNothing) {
    RecordingHelp help;
    FakePage page(testpages::waveTemplate, tables::wavePage, tables::wavePageContext);
    page.show();
    rightClick(page, &page, QPoint(page.width() - 3, page.height() - 3));
    EXPECT_TRUE(help.popups.empty());
}

TEST(ContextHelp, F1OnPlayShowsPopup105) {
    RecordingHelp help;
    FakePage page(testpages::waveTemplate, tables::wavePage, tables::wavePageContext);
    page.show();
    pressF1(page.item(105));
    EXPECT_EQ(help.popups, std::vector<std::uint32_t>{105});
}

TEST(ContextHelp, TheMidiTableSendsLowPitchTo121AndHighPitchTo111) {
    RecordingHelp help;
    FakePage page(testpages::midiTemplate, tables::midiPage, tables::midiPageContext);
    page.show();
    rightClick(page, page.item(111), QPoint(1, 1));
    rightClick(page, page.item(120), QPoint(1, 1));
    EXPECT_EQ(help.popups, (std::vector<std::uint32_t>{121, 111}));
}

TEST(ContextHelp, TableLookUpFollowsTheFirstMatchAndZeroMeansTheControlItself) {
    ContextHelpWin general(nullptr, tables::generalPrefs, tables::generalPrefsContext);
    EXPECT_EQ(general.lookUp(315), 25u);
    EXPECT_EQ(general.lookUp(2322), 2322u);
    EXPECT_FALSE(general.lookUp(0));
    EXPECT_FALSE(general.lookUp(999));
    ContextHelpWin wave(nullptr, tables::wavePrefs, tables::wavePrefsContext);
    EXPECT_EQ(wave.lookUp(301), 301u);
    EXPECT_EQ(wave.lookUp(309), 30u);
    EXPECT_EQ(wave.lookUp(310), 31u);
    ContextHelpWin dsound(nullptr, tables::directSoundPage, tables::directSoundPageContext);
    EXPECT_EQ(dsound.lookUp(129), 119u);
}

TEST(ContextHelp, WithoutATableThePopupIsTheControlsOwnId) {
    RecordingHelp help;
    FakePage page(testpages::waveTemplate);
    page.show();
    pressF1(page.item(106));
    rightClick(page, page.item(124), QPoint(1, 1));
    EXPECT_EQ(help.popups, (std::vector<std::uint32_t>{106, 124}));
}

TEST(ContextHelp, TheHelpButtonsOpenTheWindowsTopic) {
    RecordingHelp help;
    FakePage prefs(testpages::waveTemplate, tables::wavePrefs, tables::wavePrefsContext);
    framework::sendMessage(&prefs, framework::WM_COMMAND,
                           framework::makeWParam(framework::IDHELP, framework::BN_CLICKED));
    framework::NotifyHeader fromSheet{nullptr, 0, framework::PSN_HELP, 1};
    framework::sendMessage(&prefs, framework::WM_NOTIFY, 0,
                           reinterpret_cast<framework::LPARAM>(&fromSheet));
    framework::NotifyHeader noData{nullptr, 0, framework::PSN_HELP, 0};
    framework::sendMessage(&prefs, framework::WM_NOTIFY, 0,
                           reinterpret_cast<framework::LPARAM>(&noData));
    EXPECT_EQ(help.contexts, (std::vector<std::uint32_t>{330, 330}));

    FakePage untitled(testpages::waveTemplate, tables::wavePage, 0);
    framework::sendMessage(&untitled, framework::WM_COMMAND,
                           framework::makeWParam(framework::IDHELP, 0));
    EXPECT_EQ(help.topics, std::vector<std::string>{"Controls.html"});
}

TEST(ContextHelp, WithoutAProviderNothingHappens) {
    FakePage page(testpages::waveTemplate, tables::wavePage, tables::wavePageContext);
    page.show();
    pressF1(page.item(105));  // no crash, nothing to call
    SUCCEED();
}

}  // namespace
