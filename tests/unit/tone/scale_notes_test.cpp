#include "engine/tone/scale_notes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using settings::MusicalScale;

// Written out by note, not by interval, so a wrong interval table shows up here.
TEST(ScaleNotes, EachScaleHoldsItsNotesOnItsRoot) {
    const struct {
        MusicalScale scale;
        int32_t root;
        std::vector<int> notesFromC;  // within the octave from middle C
    } cases[] = {
        {MusicalScale::Chromatic, 5, {60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71}},
        {MusicalScale::Major, 2, {61, 62, 64, 66, 67, 69, 71}},    // D major: C# D E F# G A B
        {MusicalScale::Minor, 0, {60, 62, 63, 65, 67, 68, 70}},    // C D Eb F G Ab Bb
        {MusicalScale::MajorPentatonic, 0, {60, 62, 64, 67, 69}},  // C D E G A
        {MusicalScale::MinorPentatonic, 9, {60, 62, 64, 67, 69}},  // A C D E G
        {MusicalScale::Blues, 7, {60, 61, 62, 65, 67, 70}},        // G Bb C C# D F
        {MusicalScale::WholeTone, 1, {61, 63, 65, 67, 69, 71}},    // C# D# F G A B
        {MusicalScale::Major, -10, {61, 62, 64, 66, 67, 69, 71}},  // D major, root below C
    };
    for (const auto& c : cases) {
        std::vector<int> found;
        for (int note = 60; note < 72; ++note) {
            if (engine::isScaleNote(note, c.scale, c.root)) {
                found.push_back(note);
            }
            EXPECT_EQ(engine::isScaleNote(note - 48, c.scale, c.root),
                      engine::isScaleNote(note + 36, c.scale, c.root))
                << "octaves apart";
        }
        EXPECT_EQ(found, c.notesFromC) << "scale " << static_cast<int>(c.scale);
    }
}

TEST(ScaleNotes, NearestNoteIsTheCloserNeighbourAndTheLowerOneAtAMidpoint) {
    const struct {
        double pitch;
        MusicalScale scale;
        double nearest;
    } cases[] = {{60.3, MusicalScale::Chromatic, 60}, {60.5, MusicalScale::Chromatic, 60},
                 {61.0, MusicalScale::Major, 60},     {61.01, MusicalScale::Major, 62},
                 {64.51, MusicalScale::Major, 65},    {61.6, MusicalScale::Blues, 63},
                 {-1.2, MusicalScale::WholeTone, -2}, {1e300, MusicalScale::Major, 1e300}};
    for (const auto& c : cases) {
        EXPECT_EQ(engine::nearestScaleNote(c.pitch, c.scale, 0), c.nearest) << c.pitch;
    }
}

}  // namespace
