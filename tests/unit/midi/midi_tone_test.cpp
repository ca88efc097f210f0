#include "engine/midi/midi_tone.h"

#include <gtest/gtest.h>

#include "engine/midi/midi_track_event.h"

namespace {

using namespace engine;

int32_t noteFor(float pitch, int32_t sounding, int32_t range) {
    return chooseNote(pitch, sounding, range, static_cast<int32_t>(pitch));
}

TEST(MidiTone, WorkedExamplesOfNoteAndBend) {
    // Range 2, 60 sounding, up to 62.5: more than 2 away, so 64, bent down to 62.5.
    EXPECT_EQ(noteFor(62.5F, 60, 2), 64);
    EXPECT_EQ(bendFor(62.5F, 64, 2), 2048);
    // A jump to 75.3: 64 is still too far, so the whole note, bent up by 0.3.
    EXPECT_EQ(noteFor(75.3F, 60, 2), 75);
    EXPECT_EQ(bendFor(75.3F, 75, 2), 9420);
    // Within the range the note holds and only the bend moves.
    EXPECT_EQ(noteFor(61.9F, 60, 2), 60);
    // Range 0: every whole note restrikes, the bend stays centred.
    EXPECT_EQ(noteFor(61.4F, 60, 0), 61);
    EXPECT_EQ(noteFor(60.7F, 60, 0), 60);
    EXPECT_EQ(bendFor(60.7F, 60, 0), kBendCentre);
}

TEST(MidiTone, StepsNeverLeaveTheSevenBitNotesAndBendsStayInside) {
    EXPECT_EQ(chooseNote(0.2F, 2, 1, 0), 1) << "a step below 1 plays 1";
    EXPECT_EQ(noteFor(127.0F, 124, 2), 127) << "124 + 4 is taken as 127";
    EXPECT_EQ(bendFor(127.0F, 127, 2), kBendCentre) << "the bend is computed from 127";
    EXPECT_EQ(bendFor(0.0F, 2, 2), 1) << "never 0";
    EXPECT_EQ(bendFor(4.0F, 2, 2), 16383) << "never 16384";
}

TEST(MidiTone, TheFirstNoteIsStruckEvenWithAWideBendRange) {
    EXPECT_EQ(chooseNote(50.0F, kNoNote, 2, 50), 50);
    EXPECT_EQ(chooseNote(50.0F, kNoNote, 100, 50), 50);
}

TEST(MidiTone, PitchRunsLeftToRightOrBackwardsAndLevelFromTopToBottom) {
    EXPECT_FLOAT_EQ(exactPitch(480, 1920, {40, 80}), 50.0F);
    EXPECT_EQ(integerNote(479, 1920, {40, 80}), 49);
    EXPECT_FLOAT_EQ(exactPitch(0, 1920, {80, 40}), 80.0F) << "low above high runs right to left";
    EXPECT_EQ(levelFor(0, 1000, 100), 127);
    EXPECT_EQ(levelFor(1000, 1000, 100), 0);
    EXPECT_EQ(levelFor(500, 1000, 80), 51);  // (127 - 63) * 80 / 100
}

TEST(MidiTrackEvent, DeltasAreVariableLengthAndMessagesTwoOrThreeBytes) {
    const auto bytes = [](TrackEvent event) {
        return std::vector<uint8_t>(event.bytes.begin(), event.bytes.begin() + event.length);
    };
    EXPECT_EQ(bytes(trackEvent(0, 0x9D, 60, 127)), (std::vector<uint8_t>{0x00, 0x9D, 60, 127}));
    EXPECT_EQ(bytes(trackEvent(0x7F, 0xC1, 79, 0)), (std::vector<uint8_t>{0x7F, 0xC1, 79}));
    EXPECT_EQ(bytes(trackEvent(0x80, 0xD1, 5, 0)), (std::vector<uint8_t>{0x81, 0x00, 0xD1, 5}));
    EXPECT_EQ(bytes(trackEvent(0x0FFFFFFF, 0xB1, 7, 1)),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F, 0xB1, 7, 1}));
    EXPECT_EQ(bytes(trackEvent(0x20000000, 0xB1, 7, 1)),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F, 0xB1, 7, 1}))
        << "four bytes at most";
}

}  // namespace

namespace {

TEST(MidiTone, CursorFromPitchIsTheColumnWhereThePitchIsFirstReached) {
    using engine::cursorFromPitch;
    EXPECT_EQ(cursorFromPitch(69.0F, 1920, {40, 80}), 1392);  // 29 of 40 semitones
    for (const PitchRange range :
         {PitchRange{40, 80}, PitchRange{80, 40}, PitchRange{0, 127}, PitchRange{60, 61}}) {
        for (int32_t width : {800, 1920, 3840}) {
            const bool rising = range.high >= range.low;
            for (int32_t note = 0; note <= 127; ++note) {
                const auto x = cursorFromPitch(static_cast<float>(note), width, range);
                // Column 0 plays the low setting; the last column nearly the high one.
                const auto first = static_cast<float>(range.low);
                const float last = exactPitch(width - 1, width, range);
                const auto wanted = static_cast<float>(note);
                const bool onScreen =
                    rising ? wanted >= first && wanted <= last : wanted <= first && wanted >= last;
                ASSERT_EQ(x.has_value(), onScreen)
                    << note << " in " << range.low << ".." << range.high << " over " << width;
                if (!x) {
                    continue;
                }
                const float at = exactPitch(*x, width, range);
                EXPECT_TRUE(rising ? at >= static_cast<float>(note)
                                   : at <= static_cast<float>(note));
                if (*x > 0) {
                    const float before = exactPitch(*x - 1, width, range);
                    EXPECT_TRUE(rising ? before < static_cast<float>(note)
                                       : before > static_cast<float>(note))
                        << "not the first column for " << note;
                }
            }
        }
    }
    // Reversed: the high notes lie to the left.
    EXPECT_LT(*cursorFromPitch(70.0F, 1920, {80, 40}), *cursorFromPitch(50.0F, 1920, {80, 40}));
    EXPECT_EQ(cursorFromPitch(60.0F, 0, {40, 80}), std::nullopt);
}

}  // namespace
