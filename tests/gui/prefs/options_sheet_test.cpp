// The Options sheet: five pages in order, Help asks for the page on top's topic, OK applies the
// pages that were opened and Cancel none.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>
#include <QTest>
#include <vector>

#include "controls/help_provider.h"
#include "prefs/options_sheet.h"
#include "prefs/set_app.h"
#include "prefs/set_wave.h"
#include "settings/settings_values.h"
#include "support/fake_wave_out.h"
#include "support/page_service_doubles.h"
#include "support/qt_application.h"
#include "support/scoped_settings.h"

namespace {

struct TopicRecorder : controls::HelpProvider {
    std::vector<std::uint32_t> contexts;
    bool showHelpPopup(std::uint32_t, int, int) override { return true; }
    bool showHelpContext(std::uint32_t context) override {
        contexts.push_back(context);
        return true;
    }
    bool showHelpTopic(const std::string&) override { return true; }
};

class OptionsSheet : public ::testing::Test {
  protected:
    void SetUp() override {
        controls::HelpProvider::setCurrent(&help);
        sheet = prefs::makeOptionsSheet(nullptr, {[](bool) {}, &waveOut, nullptr, dialogs});
        sheet->show();
    }
    void TearDown() override {
        sheet.reset();
        controls::HelpProvider::setCurrent(nullptr);
    }

    ScopedToneSettings savedSettings;
    TopicRecorder help;
    testing_support::FakeWaveOut waveOut;
    testing_support::FakeFileDialogs dialogs;
    std::unique_ptr<framework::TPropertySheet> sheet;
};

TEST_F(OptionsSheet, FivePagesInOrderAndHelpShowsTheTopicOfThePageOnTop) {
    EXPECT_EQ(sheet->windowTitle(), "Options");
    ASSERT_EQ(sheet->pageCount(), 5);
    EXPECT_EQ(sheet->page(0)->windowTitle(), "General");
    EXPECT_EQ(sheet->page(1)->windowTitle(), "Wave");
    EXPECT_EQ(sheet->page(2)->windowTitle(), "MIDI");
    EXPECT_EQ(sheet->page(3)->windowTitle(), "Playing");
    EXPECT_EQ(sheet->page(4)->windowTitle(), "Output");
    EXPECT_EQ(sheet->currentPage(), sheet->page(0));
    for (int index : {0, 1, 2, 3, 4}) {
        sheet->setCurrentPage(index);
        sheet->pressHelp();
    }
    EXPECT_EQ(help.contexts, (std::vector<std::uint32_t>{3, 330, 400, 500, 600}));
}

TEST_F(OptionsSheet, OkAppliesTheOpenedPagesAndCancelNone) {
    settings::Stereo = false;
    settings::PlayOnStart = false;
    auto* general = static_cast<TSetApp*>(sheet->page(0));
    qobject_cast<QCheckBox*>(general->item(TSetApp::playOnStartBox))->setChecked(true);
    EXPECT_FALSE(sheet->page(1)->isCreated()) << "a page is built when first shown";
    sheet->setCurrentPage(1);
    ASSERT_TRUE(sheet->page(1)->isCreated());
    qobject_cast<QRadioButton*>(sheet->page(1)->item(TSetWave::stereoButton))->click();

    sheet->reject();
    EXPECT_FALSE(settings::PlayOnStart);
    EXPECT_FALSE(settings::Stereo);

    sheet->pressOk();
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_TRUE(settings::PlayOnStart);
    EXPECT_TRUE(settings::Stereo);
    EXPECT_FALSE(sheet->page(2)->isCreated());
    settings::PlayOnStart = false;
}

// Swoop mode has no place on the page: its box rides through the transfer buffer unseen.
TEST_F(OptionsSheet, TheShownGeneralPageHidesTheSwoopModeBoxAndCarriesItsValue) {
    settings::SwoopMode = 1;
    sheet = prefs::makeOptionsSheet(nullptr, {[](bool) {}, &waveOut, nullptr, dialogs});
    sheet->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
    auto* general = static_cast<TSetApp*>(sheet->page(0));
    EXPECT_TRUE(general->item(TSetApp::playOnStartBox)->isVisible());
    auto* swoop = qobject_cast<QCheckBox*>(general->item(TSetApp::swoopModeBox));
    ASSERT_NE(swoop, nullptr);
    EXPECT_FALSE(swoop->isVisible());
    EXPECT_FALSE(swoop->isEnabled());
    EXPECT_TRUE(swoop->isChecked());

    settings::SwoopMode = 0;
    sheet->pressOk();
    EXPECT_EQ(settings::SwoopMode.load(), 1) << "OK hands the carried value back";
}

}  // namespace
