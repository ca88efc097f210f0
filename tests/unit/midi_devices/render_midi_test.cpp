// lirveto-render --engine midi as users run it: the file read back by mido, then played by the
// fluidsynth program, whose pitch must follow the gesture.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "pitch_analysis.h"
#include "support/run_program.h"
#include "support/temporary_folder.h"

namespace {

using testing_support::runProgram;

constexpr const char* kReadWithMido = R"(
import sys, mido
track = mido.MidiFile(sys.argv[1]).tracks[1]
now = 0
for event in track:
    now += event.time
    if event.type in ('note_on', 'note_off'):
        print(now, event.type, event.channel, event.note)
    elif event.type == 'pitchwheel':
        print(now, 'bend', event.channel, event.pitch + 8192)
)";

class RenderMidiTest : public ::testing::Test {
  protected:
    RenderMidiTest() { folder.create("lirveto-render-midi"); }
    std::string at(const char* name) const { return (folder.path() / name).string(); }
    testing_support::TemporaryFolder folder;
};

TEST_F(RenderMidiTest, TheRecordingHoldsEachEventAtItsTimeAndSoundsThePitchOfTheCursor) {
    // Default settings: notes 40..80 over 1920 pixels, bend range 2. x 1392 is note 69,
    // 1440 is 70 (the held 69 bent up a semitone), 1584 is 73 (a new note).
    std::ofstream(at("gesture.txt")) << "# t x y\n0 1392 100\n600 1440 100\n1200 1584 100\n";
    const auto render =
        runProgram(LIRVETO_RENDER_PATH, {"--engine", "midi", "--gesture", at("gesture.txt"),
                                         "--out", at("take.mid"), "--duration", "1800"});
    ASSERT_EQ(render.status, 0) << render.err;

    const auto mido = runProgram("/usr/bin/python3", {"-c", kReadWithMido, at("take.mid")});
    ASSERT_EQ(mido.status, 0) << mido.err;
    EXPECT_EQ(mido.out,
              "5 bend 13 8192\n5 bend 1 8192\n5 note_on 13 69\n5 note_on 1 69\n"
              "600 bend 13 12288\n600 bend 1 12288\n"
              "1200 note_off 13 69\n1200 note_off 1 69\n1200 bend 13 8192\n1200 bend 1 8192\n"
              "1200 note_on 13 73\n1200 note_on 1 73\n"
              "1800 note_off 13 73\n1800 note_off 1 73\n");

    const auto synth =
        runProgram("/usr/bin/fluidsynth",
                   {"-ni", "-q", "-T", "raw", "-O", "s16", "-r", "44100", "-F", at("take.raw"),
                    "/usr/share/sounds/sf2/default-GM.sf2", at("take.mid")});
    ASSERT_EQ(synth.status, 0) << synth.err;
    const auto samples = midi_test::readStereoS16(at("take.raw"));
    const auto pitch = [&](int fromMs) {
        return midi_test::pitchAt(samples, static_cast<size_t>(fromMs) * 441 / 10, 8820, 44100);
    };
    EXPECT_NEAR(pitch(300), 440.0, 4.4);
    EXPECT_NEAR(pitch(900), 466.16, 4.7) << "bent a semitone up";
    EXPECT_NEAR(pitch(1500), 554.37, 5.5);
}

}  // namespace
