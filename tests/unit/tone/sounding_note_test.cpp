#include "engine/tone/sounding_note.h"

#include <gtest/gtest.h>

#include <future>

namespace {

using engine::SoundingNote;

TEST(SoundingNote, EachPublishedReadoutReadsBackWholeAndStopClearsIt) {
    engine::publishSoundingFrequency(10020, 100);
    EXPECT_EQ(engine::soundingNote(), (SoundingNote{SoundingNote::Kind::frequency, 10020.0F, 100}));

    // From the timer thread, as the Midi tick publishes: a fractional pitch keeps every bit.
    std::async(std::launch::async, [] { engine::publishSoundingNote(68.962F, 127); }).get();
    EXPECT_EQ(engine::soundingNote(), (SoundingNote{SoundingNote::Kind::note, 68.962F, 127}));

    engine::publishSoundingFrequency(20, 0);
    EXPECT_EQ(engine::soundingNote().loudness, 0) << "silent but still sounding";
    EXPECT_EQ(engine::soundingNote().kind, SoundingNote::Kind::frequency);

    engine::publishSilence();
    EXPECT_EQ(engine::soundingNote().kind, SoundingNote::Kind::silent);
}

}  // namespace
