#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/tone/note_readout.h"
#include "engine/tone/sounding_note.h"
#include "files/midi_file.h"
#include "midi_engine_fixture.h"
#include "support/scoped_playing_settings.h"
#include "support/temporary_folder.h"

namespace {

using namespace midi_test;
namespace mm = platform::mm;

std::vector<Message> startMessages(int program, int bendRange) {
    std::vector<Message> rpn;
    for (const int channel : {13, 1}) {
        for (const Message& control : std::vector<Message>{{0xB0, 100, 0},
                                                           {0xB0, 101, 0},
                                                           {0xB0, 6, bendRange},
                                                           {0xB0, 38, 0},
                                                           {0xB0, 100, 127},
                                                           {0xB0, 101, 127}}) {
            rpn.push_back({control[0] + channel, control[1], control[2]});
        }
    }
    return concat({pair(0xC0, program, 0), rpn, pair(0xB0, 101, 0)});
}

TEST_F(MidiEngineTest, StartSendsProgramBendRangeAndDeselectOnChannels13Then1AndTicksEvery5Ms) {
    settings::Instrument = 128;  // typed in; a data byte holds 7 bits
    settings::PitchBend = 12;
    port->setVolume(0x12345678);
    engine.start();
    ASSERT_TRUE(engine.isPlaying());
    EXPECT_EQ(sent(), startMessages(127, 12));
    EXPECT_EQ(port->volumes().back(), 0xFFFFFFFFU) << "MidiVolume 100: 255 in all four bytes";
    EXPECT_EQ(timer.periodsHeld(), 1);

    cursor.position = {600, 500};
    step();
    EXPECT_EQ(sentFrom(16), concat({pair(0xE0, 0, 64), pair(0x90, 60, 127),
                                    pair(0xB0, 7, 64)}));  // bend 8192, note 60, level 64
    EXPECT_FALSE(host.statuses.empty());

    engine.stop();
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_FALSE(port->isOpen());
    EXPECT_EQ(sentFrom(22), pair(0x80, 60, 64));
    EXPECT_EQ(port->volume(), 0x12345678U) << "the saved volume is put back";
    EXPECT_EQ(timer.periodsHeld(), 0);
    EXPECT_FALSE(timer.hasEvents());

    const size_t before = port->messages().size();
    engine.stop();
    EXPECT_EQ(port->messages().size(), before) << "a second Stop sends no second note off";
}

TEST_F(MidiEngineTest, WorkedExamplesAsMessages) {
    engine.start();
    playThrough({600});  // note 60, bend 8192
    const size_t struck = sent().size();

    playThrough({625});  // 62.5: off 60, bend 2048, on 64
    EXPECT_EQ(sentFrom(struck), concat({pair(0x80, 60, 127), pair(0xE0, 2048 & 0x7F, 2048 >> 7),
                                        pair(0x90, 64, 127)}));

    const size_t before = sent().size();
    playThrough({753});  // 75.3: off 64, note 75 bent to 9420
    EXPECT_EQ(sentFrom(before), concat({pair(0x80, 64, 127), pair(0xE0, 9420 & 0x7F, 9420 >> 7),
                                        pair(0x90, 75, 127)}));

    const size_t still = sent().size();
    playThrough({753, 753, 753});
    EXPECT_EQ(sent().size(), still) << "a still cursor sends nothing";
}

// The built-in synth is reset when it opens: each play's first tick sends the bend, the note and
// the volume wherever the cursor is, even where it rested when the last play stopped.
TEST_F(MidiEngineTest, EveryStartSendsBendNoteAndVolumeAtItsFirstTick) {
    struct Play {
        platform::CursorPosition at;
        std::vector<Message> first;
    };
    const std::vector<Play> plays = {
        {{0, 0}, concat({pair(0xE0, 0, 64), pair(0x90, 0, 127), pair(0xB0, 7, 127)})},
        {{0, 0}, concat({pair(0xE0, 0, 64), pair(0x90, 0, 127), pair(0xB0, 7, 127)})},
        // 62.5 is note 62 bent to 10240; so is 72.5 on note 72.
        {{625, 500}, concat({pair(0xE0, 0, 80), pair(0x90, 62, 127), pair(0xB0, 7, 64)})},
        {{725, 500}, concat({pair(0xE0, 0, 80), pair(0x90, 72, 127), pair(0xB0, 7, 64)})},
    };
    for (const Play& play : plays) {
        cursor.position = play.at;
        engine.start();  // the port forgets what it heard, as the synth does
        step();
        EXPECT_EQ(sentFrom(16), play.first) << play.at.x << "," << play.at.y;
        engine.stop();
    }
}

TEST_F(MidiEngineTest, AStoredBendRangeAbove127BendsAs127) {
    settings::PitchBend = 200;  // a registry byte is not range-checked
    engine.start();
    EXPECT_EQ(sent(), startMessages(79, 127));
    playThrough({625});  // 62.5 on note 62: 0.5 * 8192 / 127 + 8192 = 8224
    EXPECT_EQ(sentFrom(16)[0], (Message{0xED, 8224 & 0x7F, 8224 >> 7}));
    engine.stop();
}

// The play surface's marker reads the exact pitch and level of each readout.
TEST_F(MidiEngineTest, EachReadoutIsPublishedForTheSurfaceAndStopSilencesIt) {
    using engine::SoundingNote;
    engine.start();
    playThrough({625}, 500);  // pitch 62.5, level 64 half way down
    EXPECT_EQ(engine::soundingNote(), (SoundingNote{SoundingNote::Kind::note, 62.5F, 64}));
    engine.stop();
    EXPECT_EQ(engine::soundingNote().kind, SoundingNote::Kind::silent);
}

TEST_F(MidiEngineTest, RangeZeroRestrikesWholeNotesWithoutAnyBend) {
    settings::PitchBend = 0;
    engine.start();
    playThrough({600, 604, 611, 625});
    for (const Message& message : sentFrom(16)) {
        EXPECT_NE(message[0] & 0xF0, 0xE0) << "no pitch bend with range 0";
    }
    EXPECT_EQ(sentFrom(16),
              concat({pair(0x90, 60, 127), pair(0xB0, 7, 64), pair(0x80, 60, 127),
                      pair(0x90, 61, 127), pair(0x80, 61, 127), pair(0x90, 62, 127)}));
}

std::vector<Message> bendPair(int bend) {
    return pair(0xE0, bend & 0x7F, bend >> 7);
}

// The Midi page maps in semitones over its own range already: the sample pages' layout leaves it.
TEST_F(MidiEngineTest, TheSemitonesLayoutLeavesTheMidiPagesOwnRange) {
    ScopedPlayingSettings restorePlaying;
    std::vector<std::vector<Message>> plays;
    for (const auto layout : {settings::PitchLayout::Hertz, settings::PitchLayout::Semitones}) {
        settings::CursorLayout = layout;
        settings::LowNote = 48;
        settings::HighNote = 72;
        engine.start();
        playThrough({999, 500});
        plays.push_back(sent());
        engine.stop();
    }
    EXPECT_EQ(plays[0], plays[1]);
}

TEST_F(MidiEngineTest, ASettlingCorrectionBendsTowardTheNoteWithTheCursorStillThenRests) {
    ScopedPlayingSettings restorePlaying;
    settings::PitchBend = 12;
    settings::Correction = true;
    settings::CorrectionScale = settings::MusicalScale::Major;
    settings::CorrectionRate = 80;
    engine.start();
    playThrough({620});  // 62.0, D: on the scale
    EXPECT_EQ(sentFrom(16), concat({bendPair(8192), pair(0x90, 62, 127), pair(0xB0, 7, 64)}));
    const size_t moved = sent().size();
    playThrough({643});  // 64.3, nearest E: heard first, then pulled down to E
    for (int tick = 0; tick < 200; ++tick) {
        step();
    }
    const std::vector<Message> settling = sentFrom(moved);
    ASSERT_GE(settling.size(), 20U);
    for (const Message& message : settling) {
        ASSERT_EQ(message[0] & 0xF0, 0xE0) << "only bends: the note is never struck again";
    }
    const auto bendOf = [](const Message& m) { return m[1] | m[2] << 7; };
    EXPECT_GT(bendOf(settling.front()), 9557 + 100);
    EXPECT_EQ(bendOf(settling.back()), 9557) << "64 on note 62: 2 * 8192 / 12 above the centre";
    const size_t settled = sent().size();
    playThrough({643, 643, 643});
    EXPECT_EQ(sent().size(), settled) << "a settled correction sends nothing";

    // Off again mid-phrase: the exact pitch comes back at the next tick, the cursor still.
    settings::Correction = false;
    step();
    EXPECT_EQ(sentFrom(settled), bendPair(9762));  // 64.3 on 62
    engine.stop();
}

TEST_F(MidiEngineTest, ADeviceOfTheWantedNameIsChosenAndAFailedOpenSaysSo) {
    auto second = std::make_shared<platform::VirtualMidiPort>("Virtual Synth", false);
    platform::FixedMidiOutDevices two{{port, second}};
    platform::MidiOut both{two};
    engine::MidiEngine chooser{both, timer, cursor, host};
    settings::MidiDriver.set("Virtual Synth");
    chooser.start();
    EXPECT_EQ(chooser.deviceId(), 1U) << "the last of equal names";
    EXPECT_TRUE(second->isOpen());
    chooser.stop();

    settings::MidiDriver.set("MIDI Mapper");
    chooser.start();
    EXPECT_EQ(chooser.deviceId(), mm::MIDI_MAPPER);
    EXPECT_TRUE(port->isOpen()) << "the mapper opens the first device";
    chooser.stop();

    settings::MidiDriver.set("nothing of that name");
    port->failOpensWith(mm::MMSYSERR_ALLOCATED);
    chooser.start();
    EXPECT_FALSE(chooser.isPlaying()) << "the previous id stays and fails";
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"Lirveto: The sound output could not be opened."});
    EXPECT_FALSE(timer.hasEvents());
}

TEST_F(MidiEngineTest, StopBeforeAnyStartDoesNothingAndMidiVolumeFollowsTheSlider) {
    engine.stop();
    EXPECT_EQ(port->opens(), 0);
    engine.start();
    engine.setMidiVolume(50);
    EXPECT_EQ(port->volume(), 0x7F7F7F7FU) << "50 * 255 / 100 = 127 in all four bytes";
    EXPECT_EQ(engine.setBendRange(300), 127);
    EXPECT_EQ(engine.setBendRange(-4), 127) << "a negative range keeps the present one";
    EXPECT_EQ(engine.setBendRange(0), 0) << "zero is a range: whole notes only";
    engine.stop();
    port->failVolumeReads(true);
    engine.start();
    engine.setMidiVolume(250);
    EXPECT_EQ(port->volume(), 0xFFFFFFFFU) << "above 100 acts as 100";
    engine.stop();
    EXPECT_EQ(port->volume(), 0xFFFFFFFFU) << "a volume never read is not given back at Stop";
}

class MidiRecordingTest : public MidiEngineTest {
  protected:
    MidiRecordingTest() { engine.setRecordingFile(&file); }
    ~MidiRecordingTest() override { engine.setRecordingFile(nullptr); }

    // The event track of the closed file.
    std::vector<uint8_t> events() {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> all{std::istreambuf_iterator<char>(in), {}};
        if (all.size() < 56) {
            return {};
        }
        // The length field, big-endian; an odd track is followed by a pad byte.
        const size_t length =
            size_t{all[52]} << 24 | size_t{all[53]} << 16 | size_t{all[54]} << 8 | all[55];
        EXPECT_EQ(all.size(), 56 + length + length % 2);
        return {all.begin() + 56, all.begin() + 56 + static_cast<std::ptrdiff_t>(length)};
    }

    testing_support::TemporaryFolder folder;
    std::string path = [this] {
        folder.create("lirveto-midi-engine");
        return (folder.path() / "take.mid").string();
    }();
    files::MidiFile file{nullptr};
};

TEST_F(MidiRecordingTest, PausesGoToTheNextTimedMessageAndStopEndsTheNoteAtStop) {
    ASSERT_TRUE(file.newFile(path.c_str()));
    settings::PitchBend = 0;
    engine.start();
    {
        auto lock = engine.lockRecording();
        ASSERT_EQ(file.length(), 2U * 3 + 14 * 4) << "16 start messages at delta 0";
    }
    const uint32_t afterStart = file.length();
    playThrough({600}, 1);  // first strike at 5 ms
    playThrough({600, 600, 600, 600, 600, 600, 600, 600, 600, 600, 600, 600, 600, 600, 600,
                 600, 600, 600, 600, 600, 600, 600, 600, 600, 600, 600, 600, 600, 600},
                1);         // 145 ms still
    playThrough({611}, 1);  // restrike at 155 ms
    playThrough({611, 611}, 1);
    engine.stop();  // 10 ms later
    ASSERT_TRUE(file.close());

    const std::vector<uint8_t> expected{
        0x05, 0x9D, 60,   127,  0x00, 0x91, 60,   127,       // the first note carries its 5 ms
        0x00, 0xBD, 7,    127,  0x00, 0xB1, 7,    127,       // level at the top
        0x81, 0x16, 0x8D, 60,   127,  0x00, 0x81, 60,  127,  // 150 ms: the whole pause
        0x00, 0x9D, 61,   127,  0x00, 0x91, 61,   127, 0x0A,
        0x8D, 61,   64,   0x00, 0x81, 61,   64,  // Stop: the 10 ms since
        0x00, 0xFF, 0x2F, 0x00};
    const auto track = events();
    ASSERT_GE(track.size(), afterStart);
    EXPECT_EQ(std::vector<uint8_t>(track.begin() + afterStart, track.end()), expected);
}

TEST_F(MidiRecordingTest, ATakeStartsAtItsOwnFirstTickNotWithTheTicksOfAnEarlierPlay) {
    cursor.position = {0, 0};
    engine.start();  // a play with the cursor at rest
    playThrough({0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0);
    engine.stop();

    ASSERT_TRUE(file.newFile(path.c_str()));
    engine.start();
    playThrough({600}, 1);
    engine.stop();
    ASSERT_TRUE(file.close());
    const auto track = events();
    ASSERT_GT(track.size(), 66U);
    EXPECT_EQ(std::vector<uint8_t>(track.begin() + 62, track.begin() + 66),
              (std::vector<uint8_t>{0x05, 0xED, 0, 64}))
        << "the first bend, 5 ms after Play";
}

TEST_F(MidiRecordingTest, AProgramChangeIsRecordedWhileStoppedAndCarriesNoTime) {
    ASSERT_TRUE(file.newFile(path.c_str()));
    engine.setInstrument(200);
    EXPECT_EQ(settings::Instrument, 200);
    ASSERT_TRUE(file.close());
    EXPECT_EQ(events(),
              (std::vector<uint8_t>{0x00, 0xCD, 127, 0x00, 0xC1, 127, 0x00, 0xFF, 0x2F, 0x00}));
}

}  // namespace
