#include <gtest/gtest.h>

#include <string>

#include "engine/tone/note_readout.h"
#include "support/scoped_settings.h"

namespace {

constexpr engine::ViewFlags kAllWhole{1, 1, 1, 1};

std::string readout(int32_t frequency, int32_t loudness, engine::ViewFlags view = kAllWhole) {
    return engine::readoutFromFrequency(frequency, loudness, view).c_str();
}

TEST(NoteReadout, ConcertAShowsEveryPartWithItsExactSpacing) {
    EXPECT_EQ(readout(440, 50), "   440Hz  69 A 4      50");
    EXPECT_EQ(readout(440, 50, {0, 2, 0, 0}), "  69.0");
    EXPECT_EQ(readout(440, 50, {1, 0, 0, 0}), "   440Hz");
    EXPECT_EQ(readout(440, 50, {0, 0, 1, 0}), " A 4");
    EXPECT_EQ(readout(440, 100, {0, 0, 0, 1}), "     100");
}

TEST(NoteReadout, AllViewFlagsOffGiveAnEmptyReadout) {
    EXPECT_EQ(readout(440, 50, {0, 0, 0, 0}), "");
    EXPECT_EQ(std::string(engine::readoutFromNote(69.0F, 50, {0, 0, 0, 0}).c_str()), "");
}

TEST(NoteReadout, ZeroPrintsAsBlanksOnly) {
    EXPECT_EQ(readout(440, 0, {0, 0, 0, 1}), "        ");
    EXPECT_EQ(readout(0, 0, {1, 0, 0, 0}), "      Hz");
}

TEST(NoteReadout, NotesOutsideThePianoHaveNoName) {
    EXPECT_EQ(readout(20, 7), "    20Hz  15 ---       7");
    EXPECT_EQ(readout(20, 7, {0, 2, 0, 0}), "  15.5");
    EXPECT_EQ(readout(10020, 100), " 10020Hz 123 ---     100");
}

TEST(NoteReadout, TheNoteIsTruncatedNotRounded) {
    EXPECT_EQ(readout(439, 50, {0, 1, 1, 0}), "  68 G#4");
    EXPECT_EQ(readout(439, 50, {0, 2, 0, 0}), "  69.0");  // 68.96 rounds in the decimal view
}

TEST(NoteReadout, NoteNumbersUseTheReadoutsOwnDivisor) {
    EXPECT_NEAR(engine::noteFromFrequency(880), 81.0025F, 0.0001F);
    EXPECT_FLOAT_EQ(engine::noteFromFrequency(440), 69.0F);
    EXPECT_EQ(engine::frequencyFromNote(69.0F), 440);
    EXPECT_EQ(engine::frequencyFromNote(81.0F), 880);
    EXPECT_EQ(engine::frequencyFromNote(60.0F), 261);
}

TEST(NoteReadout, NoteNamesCarryTheirOctave) {
    EXPECT_STREQ(engine::noteName(69).c_str(), "A 4");
    EXPECT_STREQ(engine::noteName(61).c_str(), "C#4");
    EXPECT_STREQ(engine::noteName(108).c_str(), "C 8");
    EXPECT_STREQ(engine::noteName(21).c_str(), "A 0");
    EXPECT_STREQ(engine::noteName(20).c_str(), "---");
    EXPECT_STREQ(engine::noteName(109).c_str(), "---");
}

TEST(NoteReadout, ReadoutFromANoteShowsItsWholeFrequency) {
    EXPECT_STREQ(engine::readoutFromNote(69.0F, 50, kAllWhole).c_str(), "   440Hz  69 A 4      50");
    EXPECT_STREQ(engine::readoutFromNote(60.5F, 64, {1, 2, 1, 0}).c_str(), "   269Hz  60.5 C 4");
}

TEST(NoteReadout, AnExactPitchShowsItsNearestNoteAndRoundedFrequency) {
    // A corrected pitch settles a hair either side of its note: both sides read that note.
    for (const double pitch : {59.9996, 60.0, 60.0004}) {
        EXPECT_STREQ(engine::readoutFromPitch(pitch, 100, kAllWhole).c_str(),
                     "   262Hz  60 C 4     100")
            << pitch;
        EXPECT_STREQ(engine::readoutFromPitch(pitch, 100, {0, 2, 1, 0}).c_str(), "  60.0 C 4");
    }
    EXPECT_STREQ(engine::readoutFromPitch(69.4, 5, kAllWhole).c_str(), "   450Hz  69 A 4       5");
    EXPECT_STREQ(engine::readoutFromPitch(69.6, 5, kAllWhole).c_str(), "   456Hz  70 A#4       5");
}

TEST(NoteReadout, TheSettingsVersionFollowsTheViewMenu) {
    ScopedToneSettings restore;
    settings::ViewNoteFreq = 0;
    settings::ViewNoteMid = 2;
    settings::ViewNoteName = 0;
    settings::ViewNoteVol = 0;
    EXPECT_STREQ(engine::readoutFromFrequency(440, 50).c_str(), "  69.0");
    EXPECT_STREQ(engine::readoutFromNote(72.0F, 50).c_str(), "  72.0");
}

}  // namespace
