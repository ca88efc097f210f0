// The General page: its boxes follow the settings both ways, always-on-top reaches the main
// window at once, and the launcher is made or removed only when that changes something.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <vector>

#include "gui/prefs/launcher_folder.h"
#include "prefs/set_app.h"
#include "settings/settings_values.h"
#include "support/qt_application.h"

namespace testprefs {
namespace {

class GeneralPage : public LauncherFolder {
  protected:
    void SetUp() override {
        LauncherFolder::SetUp();
        saved = {settings::PlayOnStart, settings::MinimizeOnStart, settings::OnTop,
                 settings::StopFocus, settings::SwoopMode != 0};
    }
    void TearDown() override {
        settings::PlayOnStart = saved[0];
        settings::MinimizeOnStart = saved[1];
        settings::OnTop = saved[2];
        settings::StopFocus = saved[3];
        settings::SwoopMode = saved[4] ? 1 : 0;
    }
    // A page as the sheet shows it: built, its values moved in.
    std::unique_ptr<TSetApp> shownPage() {
        auto page =
            std::make_unique<TSetApp>([this](bool onTop) { topmostCalls.push_back(onTop); });
        page->create();
        return page;
    }
    static QCheckBox* box(const TSetApp& page, int id) {
        return qobject_cast<QCheckBox*>(page.item(id));
    }

    std::vector<bool> saved;
    std::vector<bool> topmostCalls;
};

TEST_F(GeneralPage, TheBoxesShowTheSettingsAndOkTakesThemBack) {
    settings::PlayOnStart = true;
    settings::MinimizeOnStart = false;
    settings::OnTop = false;
    settings::StopFocus = true;
    settings::SwoopMode = 1;
    auto page = shownPage();
    EXPECT_TRUE(box(*page, TSetApp::playOnStartBox)->isChecked());
    EXPECT_FALSE(box(*page, TSetApp::minimizeOnStartBox)->isChecked());
    EXPECT_TRUE(box(*page, TSetApp::stopFocusBox)->isChecked());
    EXPECT_FALSE(box(*page, TSetApp::quickLaunchBox)->isChecked());
    // Swoop mode rides along in a box the user can neither see nor change.
    QCheckBox* swoop = box(*page, TSetApp::swoopModeBox);
    EXPECT_TRUE(swoop->isChecked());
    EXPECT_FALSE(swoop->isVisible());
    EXPECT_FALSE(swoop->isEnabled());

    box(*page, TSetApp::playOnStartBox)->setChecked(false);
    box(*page, TSetApp::minimizeOnStartBox)->setChecked(true);
    box(*page, TSetApp::stopFocusBox)->setChecked(false);
    EXPECT_TRUE(page->apply());
    EXPECT_FALSE(settings::PlayOnStart);
    EXPECT_TRUE(settings::MinimizeOnStart);
    EXPECT_FALSE(settings::StopFocus);
    EXPECT_EQ(settings::SwoopMode.load(), 1);
    EXPECT_TRUE(topmostCalls.empty()) << "always on top did not change";
}

TEST_F(GeneralPage, AlwaysOnTopReachesTheMainWindowEachTimeItChanges) {
    settings::OnTop = false;
    auto page = shownPage();
    box(*page, TSetApp::onTopBox)->setChecked(true);
    page->apply();
    EXPECT_TRUE(settings::OnTop);
    page->apply();  // unchanged now: no second call
    box(*page, TSetApp::onTopBox)->setChecked(false);
    page->apply();
    EXPECT_EQ(topmostCalls, (std::vector<bool>{true, false}));
}

TEST_F(GeneralPage, TheLauncherIsMadeOnceAndRemovedOnlyWhenItIsThere) {
    {
        auto page = shownPage();
        page->apply();  // unticked and absent: nothing to remove, nothing made
        EXPECT_FALSE(std::filesystem::exists(launcher()));
        box(*page, TSetApp::quickLaunchBox)->setChecked(true);
        page->apply();
        ASSERT_TRUE(std::filesystem::exists(launcher()));
    }
    // A mark in the file shows whether the next OK writes it again.
    write(launcher(), contents(launcher()) + "X-Mark=kept\n");
    {
        auto page = shownPage();
        EXPECT_TRUE(box(*page, TSetApp::quickLaunchBox)->isChecked());
        page->apply();
        EXPECT_NE(contents(launcher()).find("X-Mark=kept"), std::string::npos);
        box(*page, TSetApp::quickLaunchBox)->setChecked(false);
        page->apply();
        EXPECT_FALSE(std::filesystem::exists(launcher()));
    }
    // Someone else's file of that name that is no launcher is left alone when unticked.
    write(launcher(), "not a desktop entry\n");
    auto page = shownPage();
    EXPECT_FALSE(box(*page, TSetApp::quickLaunchBox)->isChecked());
    page->apply();
    EXPECT_TRUE(std::filesystem::exists(launcher()));
}

}  // namespace
}  // namespace testprefs
