// The Playing page of the Options sheet: it shows the playing aids as stored, OK stores what it
// shows and Cancel nothing, the low note stays below the high one, and the note and glide
// fields read and write as their help says.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include "prefs/options_sheet.h"
#include "prefs/set_playing.h"
#include "settings/playing_values.h"
#include "support/first_start_settings.h"
#include "support/page_service_doubles.h"
#include "support/qt_application.h"
#include "support/scoped_playing_settings.h"

namespace {

class PlayingPage : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::resetPlayingSettingsToFirstStart();
        sheet = prefs::makeOptionsSheet(nullptr, {[](bool) {}, nullptr, nullptr, dialogs});
        sheet->show();
        sheet->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));  // so Tab moves the focus on
    }
    TSetPlaying& open() {
        sheet->setCurrentPage(3);
        auto* page = static_cast<TSetPlaying*>(sheet->page(3));
        EXPECT_TRUE(page->isCreated());
        return *page;
    }
    template <typename Widget>
    Widget* at(TSetPlaying& page, int id) {
        auto* widget = qobject_cast<Widget*>(page.item(id));
        EXPECT_NE(widget, nullptr) << id;
        return widget;
    }
    // Types into a spin box as a user does and leaves it with Tab (Return would press OK).
    static void type(QSpinBox* box, const QString& text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Tab);
    }

    ScopedPlayingSettings restore;
    testing_support::FakeFileDialogs dialogs;
    std::unique_ptr<framework::TPropertySheet> sheet;
};

TEST_F(PlayingPage, ItShowsTheStoredAidsAndOkStoresWhatItShowsAndCancelNothing) {
    settings::CursorLayout = settings::PitchLayout::Semitones;
    settings::LowNote = 48;
    settings::HighNote = 84;
    settings::CorrectionScale = settings::MusicalScale::Blues;
    settings::CorrectionRoot = 9;
    settings::CorrectionStrength = 60;
    settings::CorrectionRate = 150;
    settings::Glide = 40;
    settings::ConcertPitch = 4153;
    TSetPlaying& page = open();
    EXPECT_TRUE(at<QRadioButton>(page, TSetPlaying::semitonesButton)->isChecked());
    EXPECT_EQ(page.spinBox(TSetPlaying::lowNoteBox)->text(), "C3 (48)");
    EXPECT_EQ(page.spinBox(TSetPlaying::highNoteBox)->text(), "C6 (84)");
    EXPECT_FALSE(at<QCheckBox>(page, TSetPlaying::correctionBox)->isChecked());
    EXPECT_EQ(page.comboBox(TSetPlaying::scaleCombo)->currentText(), "Blues");
    EXPECT_EQ(page.comboBox(TSetPlaying::rootCombo)->currentText(), "A");
    EXPECT_EQ(page.spinBox(TSetPlaying::strengthBox)->text(), "60 %");
    EXPECT_EQ(page.spinBox(TSetPlaying::rateBox)->text(), "150 ms");
    EXPECT_EQ(page.spinBox(TSetPlaying::glideBox)->text(), "40 ms");
    EXPECT_EQ(page.concertPitchBox()->text(), "415.3 Hz");
    EXPECT_EQ(page.comboBox(TSetPlaying::loudnessCombo)->currentText(), "As designed");
    EXPECT_FALSE(page.spinBox(TSetPlaying::rangeBox)->isEnabled()) << "only for decibels";

    at<QRadioButton>(page, TSetPlaying::hertzButton)->click();
    at<QCheckBox>(page, TSetPlaying::correctionBox)->click();
    page.comboBox(TSetPlaying::scaleCombo)->setCurrentIndex(4);  // minor pentatonic
    page.comboBox(TSetPlaying::rootCombo)->setCurrentIndex(4);   // E
    type(page.spinBox(TSetPlaying::lowNoteBox), "Db3");
    type(page.spinBox(TSetPlaying::strengthBox), "100");
    type(page.spinBox(TSetPlaying::glideBox), "0");
    page.concertPitchBox()->setValue(442.0);
    page.comboBox(TSetPlaying::loudnessCombo)->setCurrentIndex(1);
    EXPECT_TRUE(page.spinBox(TSetPlaying::rangeBox)->isEnabled());
    type(page.spinBox(TSetPlaying::rangeBox), "30");
    sheet->reject();
    EXPECT_EQ(settings::CursorLayout, settings::PitchLayout::Semitones) << "Cancel stores nothing";
    EXPECT_FALSE(settings::Correction);

    sheet->pressOk();
    EXPECT_EQ(settings::CursorLayout, settings::PitchLayout::Hertz);
    EXPECT_TRUE(settings::Correction);
    EXPECT_EQ(settings::CorrectionScale, settings::MusicalScale::MinorPentatonic);
    EXPECT_EQ(settings::CorrectionRoot, 4);
    EXPECT_EQ(settings::LowNote, 49);
    EXPECT_EQ(settings::HighNote, 84);
    EXPECT_EQ(settings::CorrectionStrength, 100);
    EXPECT_EQ(settings::CorrectionRate, 150);
    EXPECT_EQ(settings::Glide, 0);
    EXPECT_EQ(settings::ConcertPitch, 4420);
    EXPECT_EQ(settings::Loudness, settings::LoudnessCurve::Decibels);
    EXPECT_EQ(settings::LoudnessRange, 30);
}

TEST_F(PlayingPage, TheLowNoteStaysBelowTheHighNoteWhicheverIsChanged) {
    TSetPlaying& page = open();
    QSpinBox* low = page.spinBox(TSetPlaying::lowNoteBox);
    QSpinBox* high = page.spinBox(TSetPlaying::highNoteBox);
    type(high, "50");
    type(low, "70");  // above the high note: held just below it
    EXPECT_EQ(low->value(), 49);
    low->setValue(0);
    type(high, "0");
    EXPECT_EQ(high->value(), 1);
    sheet->pressOk();
    EXPECT_LT(settings::LowNote, settings::HighNote);
    EXPECT_EQ(settings::LowNote, 0);
    EXPECT_EQ(settings::HighNote, 1);
}

TEST_F(PlayingPage, NotesReadAsNumbersNamesOrAsShownAndTheGlideStepsFromClassicToZero) {
    TSetPlaying& page = open();
    QSpinBox* low = page.spinBox(TSetPlaying::lowNoteBox);
    EXPECT_EQ(low->text(), "A2 (45)");
    const struct {
        const char* typed;
        int note;
    } cases[] = {{"60", 60}, {"C#4", 61}, {"Db4", 61}, {"a2", 45}, {"G#3 (56)", 56}, {"0", 0}};
    for (const auto& c : cases) {
        type(low, QString::fromUtf8(c.typed));
        EXPECT_EQ(low->value(), c.note) << c.typed;
    }
    type(low, "20");
    EXPECT_EQ(low->text(), "20") << "no name below the piano";

    QSpinBox* glide = page.spinBox(TSetPlaying::glideBox);
    EXPECT_EQ(glide->text(), "classic");
    glide->stepBy(1);
    EXPECT_EQ(glide->value(), 0);
    glide->stepBy(3);
    EXPECT_EQ(glide->value(), 30);
    glide->stepBy(-5);
    EXPECT_EQ(glide->text(), "classic");
}

}  // namespace
