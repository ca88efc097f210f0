// The tone sliders the Wave and DirectSound pages share, run on both: laid over their frames,
// started from the settings (cut to their ranges), upside down, and set again when the settings
// change elsewhere.

#include <QLabel>

#include "page_kinds.h"
#include "support/scoped_settings.h"

namespace soundpagetest {
namespace {

namespace page = framework::page;

struct ToneSliderRow {
    int id;
    int frame;
    int label;
    std::atomic<int32_t>& setting;
};

template <class Kind>
class ToneSliderTest : public SoundPageTest<Kind> {
  protected:
    // Volume, pitch and timbre on both pages; vibrato on the Wave page only.
    std::vector<ToneSliderRow> rows() const {
        std::vector<ToneSliderRow> all{{110, 102, 108, settings::Volume},
                                       {111, 107, 109, settings::Pitch},
                                       {112, 114, 113, settings::Timbre}};
        if constexpr (std::is_same_v<Kind, WaveKind>) {
            all.push_back({119, 118, 117, settings::Vibrato});
        }
        return all;
    }
    QString label(int id) const { return static_cast<QLabel*>(this->page->item(id))->text(); }

    ScopedToneSettings savedTone;
};

using TonePages = ::testing::Types<WaveKind, DirectSoundKind>;
TYPED_TEST_SUITE(ToneSliderTest, TonePages, KindName);

TYPED_TEST(ToneSliderTest, SlidersLieOverTheirFramesAndStartFromTheSettingsCutToTheirRanges) {
    settings::Volume = 30;
    settings::Pitch = 12;   // beyond the range: 10
    settings::Vibrato = 5;  // beyond the range: 3 (on the page that has it)
    settings::Timbre = 7;
    this->makePage();
    EXPECT_EQ(settings::Pitch, 10);
    for (const ToneSliderRow& row : this->rows()) {
        const QRect f = this->page->item(row.frame)->geometry();
        EXPECT_EQ(this->page->slider(row.id)->geometry(),
                  QRect(f.left() + f.width() / 2 - 12, f.top() - 10, 24, f.height() + 20))
            << row.id;
    }
    EXPECT_EQ(this->page->slider(110)->maximum(), 100);
    EXPECT_EQ(this->page->slider(110)->position(), 70);
    EXPECT_EQ(this->page->slider(111)->position(), 1);
    EXPECT_EQ(this->page->slider(112)->position(), 3);
    EXPECT_EQ(this->label(108), QStringLiteral("30"));
    EXPECT_EQ(this->label(109), QStringLiteral("10kHz"));
    EXPECT_EQ(this->label(113), QStringLiteral("7"));
    if constexpr (std::is_same_v<TypeParam, WaveKind>) {
        EXPECT_EQ(settings::Vibrato, 3);
        EXPECT_EQ(this->page->slider(119)->maximum(), 3);
        EXPECT_EQ(this->page->slider(119)->position(), 0);
    } else {
        EXPECT_EQ(this->page->slider(119), nullptr);
        EXPECT_EQ(this->page->item(118), nullptr);
        EXPECT_EQ(settings::Vibrato, 5) << "a page without vibrato leaves it alone";
    }
}

TYPED_TEST(ToneSliderTest, MovingTheSlidersSetsTheValuesUpsideDown) {
    settings::Vibrato = 2;
    this->makePage();
    const struct {
        int slider;
        int position;
        std::atomic<int32_t>& setting;
        int value;
        int label;
        const char* shown;
    } moves[] = {
        {110, 0, settings::Volume, 100, 108, "100"}, {110, 100, settings::Volume, 0, 108, "0"},
        {111, 0, settings::Pitch, 10, 109, "10kHz"},  // the top gives 10, like the one below
        {111, 10, settings::Pitch, 1, 109, "1kHz"},  {111, 1, settings::Pitch, 10, 109, "10kHz"},
        {111, 8, settings::Pitch, 3, 109, "3kHz"},   {112, 4, settings::Timbre, 6, 113, "6"},
    };
    for (const auto& move : moves) {
        this->page->slider(move.slider)->setPosition(move.position);
        EXPECT_EQ(move.setting, move.value) << move.slider << " at " << move.position;
        EXPECT_EQ(this->label(move.label), QString::fromUtf8(move.shown));
    }
    if constexpr (std::is_same_v<TypeParam, WaveKind>) {
        this->page->slider(119)->setPosition(0);
        EXPECT_EQ(settings::Vibrato, 3);
    } else {
        EXPECT_EQ(settings::Vibrato, 2) << "a page without vibrato leaves it alone";
    }
}

TYPED_TEST(ToneSliderTest, SettingsChangedSetsTheSlidersAndTheirLabels) {
    this->makePage();
    settings::Volume = 80;
    settings::Pitch = 3;
    settings::Vibrato = 1;
    settings::Timbre = 10;
    this->send(page::settingsChanged);
    EXPECT_EQ(this->page->slider(110)->position(), 20);
    EXPECT_EQ(this->page->slider(111)->position(), 8);
    EXPECT_EQ(this->page->slider(112)->position(), 0);
    EXPECT_EQ(this->label(108), QStringLiteral("80"));
    EXPECT_EQ(this->label(109), QStringLiteral("3kHz"));
    EXPECT_EQ(this->label(113), QStringLiteral("10"));
    if constexpr (std::is_same_v<TypeParam, WaveKind>) {
        EXPECT_EQ(this->page->slider(119)->position(), 2);
        EXPECT_EQ(this->label(117), QStringLiteral("1"));
    }
}

}  // namespace
}  // namespace soundpagetest
