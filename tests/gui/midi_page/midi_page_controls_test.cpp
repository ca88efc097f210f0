// The Midi page's controls: the template, the sliders and their pushing, the instrument box and
// its typed rules, the bend range, and the refresh from the settings.

#include <QTest>

#include "midi_page_fixture.h"

namespace midipagetest {
namespace {

class MidiPageControlsTest : public MidiPageTest {
  protected:
    // Puts a whole number into the instrument box at once, as a paste does (typed key by key,
    // every prefix would count as a number of its own).
    void typeInstrument(const QString& text) {
        QLineEdit* field = instrumentBox()->lineEdit();
        field->selectAll();
        field->insert(text);
    }
    std::vector<Message> sentFrom(size_t first) const {
        const auto all = sent();
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(first, all.size())), all.end()};
    }
};

TEST_F(MidiPageControlsTest, SetUpLaysTheSlidersOverTheirFramesAndShowsTheSettings) {
    makePage();
    EXPECT_EQ(page->dialogTemplate().cx, 169);
    EXPECT_EQ(page->dialogTemplate().cy, 105);
    const std::tuple<int, int, int, int, int> sliders[] = {
        // slider, frame, maximum, position, value label
        {110, 102, 100, 20, 108},
        {111, 107, 127, 87, 109},
        {121, 120, 127, 47, 122},
    };
    for (const auto& [id, frameId, maximum, position, valueId] : sliders) {
        controls::TVSlider* made = slider(id);
        ASSERT_NE(made, nullptr) << id;
        const QRect placeholder = page->item(frameId)->geometry();
        EXPECT_EQ(made->geometry(), QRect(placeholder.left() + placeholder.width() / 2 - 12,
                                          placeholder.top() - 10, 24, placeholder.height() + 20))
            << id;
        EXPECT_FALSE(page->item(frameId)->isVisible());
        EXPECT_EQ(made->maximum(), maximum);
        EXPECT_EQ(made->position(), position) << id;
        EXPECT_EQ(label(valueId), QString::number(maximum - position)) << id;
    }
    EXPECT_EQ(label(125), QStringLiteral("<u>L</u>ow<br>Pitch")) << "two lines, L underlined";

    const std::pair<const char*, int> expected[] = {
        {"Ocarina", 79}, {"Synth (sawtooth)", 81}, {"Synth (square)", 80},
        {"Flute", 73},   {"Whistle", 78},          {"Choir Aahs", 52}};
    ASSERT_EQ(instrumentBox()->count(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(instrumentBox()->itemText(i), QString::fromUtf8(expected[i].first));
        EXPECT_EQ(instrumentBox()->itemData(i).toInt(), expected[i].second);
    }
    EXPECT_EQ(instrumentBox()->currentText(), QStringLiteral("Ocarina"));
    EXPECT_EQ(bendBox()->text(), QStringLiteral("2"));
}

TEST_F(MidiPageControlsTest, PitchesAbove127AreCutAtSetUpAndAStrangeInstrumentShowsItsNumber) {
    settings::MidiPitch = 200;
    settings::MidiPitch2 = 130;
    settings::Instrument = 10;
    makePage();
    EXPECT_EQ(settings::MidiPitch, 127);
    EXPECT_EQ(settings::MidiPitch2, 127);
    EXPECT_EQ(slider(111)->position(), 0);
    EXPECT_EQ(label(109), QStringLiteral("127"));
    // Shown as the user counts: program 10 is number 11 with 1-based notation.
    EXPECT_EQ(instrumentBox()->currentText(), QStringLiteral("11"));
    settings::PatchOffset = 0;
    send(page::settingsChanged);
    EXPECT_EQ(instrumentBox()->currentText(), QStringLiteral("10"));
}

TEST_F(MidiPageControlsTest, ThePitchSlidersPushEachOtherFiveApartWithinTheRange) {
    makePage();
    // Low 40 -> 90 passes high 80: high becomes 95.
    slider(111)->setPosition(127 - 90);
    EXPECT_EQ(settings::MidiPitch, 90);
    EXPECT_EQ(settings::MidiPitch2, 95);
    EXPECT_EQ(slider(121)->position(), 127 - 95);
    EXPECT_EQ(label(122), QStringLiteral("95"));
    // Near the top the push stops at 127.
    slider(111)->setPosition(127 - 125);
    EXPECT_EQ(settings::MidiPitch2, 127);
    // High 127 -> 60 passes low 125: low becomes 55, and the low move does not push back.
    slider(121)->setPosition(127 - 60);
    EXPECT_EQ(settings::MidiPitch2, 60);
    EXPECT_EQ(settings::MidiPitch, 55);
    EXPECT_EQ(label(109), QStringLiteral("55"));
    // Near the bottom the push stops at 0.
    slider(121)->setPosition(127 - 3);
    EXPECT_EQ(settings::MidiPitch, 0);
    EXPECT_EQ(settings::MidiPitch2, 3);
    // Apart, nothing is pushed.
    slider(111)->setPosition(127 - 1);
    EXPECT_EQ(settings::MidiPitch2, 3);
}

TEST_F(MidiPageControlsTest, TheVolumeSliderSetsTheMidiVolumeAndTheOpenDevicesVolume) {
    makePage();
    send(page::play);
    slider(110)->setPosition(50);
    EXPECT_EQ(settings::MidiVolume, 50);
    EXPECT_EQ(label(108), QStringLiteral("50"));
    const uint32_t half = 50 * 255 / 100;
    EXPECT_EQ(port->volume(), (half | half << 8) * 0x10001U);
}

TEST_F(MidiPageControlsTest, TypedInstrumentsFollowTheirRules) {
    makePage();
    send(page::play);
    size_t mark = sent().size();

    typeInstrument(QStringLiteral("5"));  // 1-based: program 4
    EXPECT_EQ(settings::Instrument, 4);
    EXPECT_EQ(sentFrom(mark), (std::vector<Message>{{0xCD, 4, 0}, {0xC1, 4, 0}}));

    typeInstrument(QStringLiteral("128"));  // kept
    EXPECT_EQ(settings::Instrument, 4);
    typeInstrument(QStringLiteral("0"));  // kept
    EXPECT_EQ(settings::Instrument, 4);

    typeInstrument(QStringLiteral("200"));  // shown as 128, program 127
    EXPECT_EQ(instrumentBox()->currentText(), QStringLiteral("128"));
    EXPECT_EQ(settings::Instrument, 127);

    // Zero-based, the same typing selects 128, which no data byte can carry: 127 is sent.
    settings::PatchOffset = 0;
    mark = sent().size();
    typeInstrument(QStringLiteral("200"));
    EXPECT_EQ(settings::Instrument, 128);
    EXPECT_EQ(sentFrom(mark), (std::vector<Message>{{0xCD, 127, 0}, {0xC1, 127, 0}}));

    // Digits past the ninth are not read: "1234567890" is 123456789, more than 128.
    typeInstrument(QStringLiteral("1234567890"));
    EXPECT_EQ(instrumentBox()->currentText(), QStringLiteral("128"));
}

// Enter in the box must keep what was typed: the editable list once took the text as a new entry
// without a program, and chose program 0.
TEST_F(MidiPageControlsTest, EnterKeepsTheTypedInstrument) {
    makePage();
    const struct {
        int patchOffset;
        const char* typed;
        int instrument;
    } cases[] = {{1, "20", 19}, {0, "20", 20}, {1, "1", 0}, {1, "Flute", 73}, {0, "Whistle", 78}};
    for (const auto& entry : cases) {
        settings::PatchOffset = entry.patchOffset;
        QLineEdit* field = instrumentBox()->lineEdit();
        field->selectAll();
        QTest::keyClicks(field, QString::fromUtf8(entry.typed));
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(settings::Instrument, entry.instrument) << entry.typed;
        EXPECT_EQ(instrumentBox()->count(), 6) << "no entry is added for " << entry.typed;
    }
}

TEST_F(MidiPageControlsTest, ChoosingAnEntrySendsItsProgramAlsoIntoARecordingWhileStopped) {
    makePage();
    send(page::fileNew);
    const uint32_t before = page->recordingFile().length();
    instrumentBox()->setCurrentIndex(4);
    QTest::keyClick(instrumentBox(), Qt::Key_Down);  // to the last entry, as a user picks it
    EXPECT_EQ(settings::Instrument, 52);
    // Two program changes at delta 0: 00 CD 34, 00 C1 34.
    EXPECT_EQ(page->recordingFile().length(), before + 6);
    messages.answer = platform::MessageBoxResult::IDNO;
    page->canClose();
}

TEST_F(MidiPageControlsTest, TheBendRangeIsSentAndOneAbove127IsWrittenBackAs127) {
    makePage();
    send(page::play);
    size_t mark = sent().size();
    bendBox()->setText(QStringLiteral("12"));
    EXPECT_EQ(settings::PitchBend, 12);
    const std::vector<Message> sentRange = sentFrom(mark);
    ASSERT_EQ(sentRange.size(), 12u);
    EXPECT_EQ(sentRange[2], (Message{0xBD, 6, 12}));
    EXPECT_EQ(sentRange[8], (Message{0xB1, 6, 12}));

    bendBox()->setText(QStringLiteral("300"));  // past the validator, as a paste of code can
    EXPECT_EQ(bendBox()->text(), QStringLiteral("127"));
    EXPECT_EQ(settings::PitchBend, 127);

    bendBox()->setText(QStringLiteral("-4"));
    EXPECT_EQ(settings::PitchBend, 127);
    mark = sent().size();
    bendBox()->setText(QString());
    EXPECT_EQ(sent().size(), mark) << "an empty box sends nothing";

    // Typed key by key, as a user does.
    bendBox()->clear();
    QTest::keyClicks(bendBox(), QStringLiteral("199"));
    EXPECT_EQ(bendBox()->text(), QStringLiteral("127"));
    EXPECT_EQ(settings::PitchBend, 127);
    QTest::keyClicks(bendBox(), QStringLiteral("-"));
    EXPECT_EQ(bendBox()->text(), QStringLiteral("127")) << "the validator refuses a sign";
}

TEST_F(MidiPageControlsTest, RefreshSetsTheControlsFromTheSettingsWithoutPushing) {
    makePage();
    settings::Volume = 30;  // the Wave page's volume leads the MIDI volume
    settings::MidiPitch = 90;
    settings::MidiPitch2 = 50;
    settings::Instrument = 73;
    settings::PitchBend = 7;
    send(page::settingsChanged);
    EXPECT_EQ(settings::MidiVolume, 30);
    EXPECT_EQ(slider(110)->position(), 70);
    EXPECT_EQ(label(108), QStringLiteral("30"));
    EXPECT_EQ(slider(111)->position(), 37);
    EXPECT_EQ(slider(121)->position(), 77);
    EXPECT_EQ(settings::MidiPitch, 90);
    EXPECT_EQ(settings::MidiPitch2, 50);
    EXPECT_EQ(label(109), QStringLiteral("90"));
    EXPECT_EQ(label(122), QStringLiteral("50"));
    EXPECT_EQ(instrumentBox()->currentText(), QStringLiteral("Flute"));
    EXPECT_EQ(bendBox()->text(), QStringLiteral("7"));
}

}  // namespace
}  // namespace midipagetest
