// Recordings read back by the tools a user would check them with: sox, mido and fluidsynth.

#include <cmath>
#include <cstdio>
#include <sstream>

#include "file_test_support.h"
#include "files/midi_file.h"
#include "files/wave_file.h"

namespace {

using namespace files;
using namespace files_test;

// Runs a shell command; returns its standard output, or nothing when it failed.
bool run(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) {
        return false;
    }
    char buffer[512];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, got);
    }
    return ::pclose(pipe) == 0;
}

bool haveProgram(const std::string& name) {
    std::string ignored;
    return run("command -v " + name, ignored);
}

std::string shellQuoted(const std::string& text) {
    return "'" + text + "'";
}

class InteropTest : public TempFolderTest {};

TEST_F(InteropTest, SoxReadsTheWaveRecordings) {
    if (!haveProgram("soxi")) {
        GTEST_SKIP() << "soxi (package sox) is not installed";
    }
    struct Case {
        bool stereo, highRate, sixteenBit;
        const char* rate;
        const char* bits;
        const char* channels;
    };
    for (const Case& c :
         {Case{false, false, false, "22050", "8", "1"}, Case{true, true, true, "44100", "16", "2"},
          Case{false, true, true, "44100", "16", "1"}}) {
        const platform::WaveFormatPcm format = pcmWaveFormat(c.stereo, c.highRate, c.sixteenBit);
        const std::string name =
            pathOf(std::string("tone-") + c.rate + "-" + c.bits + "-" + c.channels + ".wav");
        SCOPED_TRACE(name);
        const uint32_t frames = format.samplesPerSec / 2 + 1;  // an odd length on purpose
        {
            WaveFile file(nullptr, &format);
            ASSERT_TRUE(file.newFile(nullptr));
            Bytes frame(format.blockAlign);
            for (uint32_t i = 0; i < frames; ++i) {
                const double v = std::sin(2 * M_PI * 440.0 * i / format.samplesPerSec);
                if (c.sixteenBit) {
                    const auto s = static_cast<int16_t>(v * 12000);
                    for (int ch = 0; ch < format.channels; ++ch) {
                        frame[ch * 2] = static_cast<uint8_t>(s);
                        frame[ch * 2 + 1] = static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8);
                    }
                } else {
                    frame[0] = static_cast<uint8_t>(128 + v * 60);
                }
                ASSERT_EQ(file.write(frame.data(), format.blockAlign), format.blockAlign);
            }
            ASSERT_TRUE(file.saveAs(name.c_str()));
        }
        std::string out;
        ASSERT_TRUE(run("soxi -r " + shellQuoted(name), out));
        EXPECT_EQ(out, std::string(c.rate) + "\n");
        ASSERT_TRUE(run("soxi -b " + shellQuoted(name), out));
        EXPECT_EQ(out, std::string(c.bits) + "\n");
        ASSERT_TRUE(run("soxi -c " + shellQuoted(name), out));
        EXPECT_EQ(out, std::string(c.channels) + "\n");
        ASSERT_TRUE(run("soxi -s " + shellQuoted(name), out));
        EXPECT_EQ(out, std::to_string(frames) + "\n");
        // sox decodes every sample: the tone's peak is where it was written.
        ASSERT_TRUE(
            run("sox " + shellQuoted(name) + " -n stat 2>&1 | grep 'Maximum amplitude'", out));
        const double peak = std::stod(out.substr(out.find(':') + 1));
        EXPECT_NEAR(peak, c.sixteenBit ? 12000.0 / 32768 : 60.0 / 128, 0.02);
    }
}

const std::string kPython = "/usr/bin/python3";  // Debian's, with python3-mido

bool haveMido() {
    std::string ignored;
    return run(kPython + " -c 'import mido'", ignored);
}

// The file as mido reads it, one line a message with its absolute time; false when mido refuses.
bool midoListing(const std::string& folderPath, const std::string& name, std::string& listing) {
    const std::string script =
        "import sys, mido\n"
        "m = mido.MidiFile(sys.argv[1])\n"
        "print(m.type, len(m.tracks), m.ticks_per_beat)\n"
        "for track in m.tracks:\n"
        "    t = 0\n"
        "    for msg in track:\n"
        "        t += msg.time\n"
        "        if msg.type == 'set_tempo': print(t, 'tempo', msg.tempo)\n"
        "        elif msg.type == 'time_signature': print(t, 'sig', msg.numerator, "
        "msg.denominator)\n"
        "        elif msg.type == 'end_of_track': print(t, 'end')\n"
        "        elif msg.is_meta: print(t, msg.type)\n"
        "        else: print(t, msg.type, *msg.bytes()[1:])\n";
    const std::string scriptName = folderPath + "/read.py";
    {
        std::ofstream out(scriptName);
        out << script;
    }
    return run(kPython + " " + shellQuoted(scriptName) + " " + shellQuoted(name), listing);
}

// The header and track 0 of every recording. 24 ticks a quarter at 24000 us a quarter: ticks
// are milliseconds.
const std::string kHeadListing =
    "1 2 24\n"
    "0 sequencer_specific\n"
    "0 sig 4 4\n"
    "0 tempo 24000\n"
    "0 end\n";

TEST_F(InteropTest, MidoReadsTheMidiRecordings) {
    if (!haveMido()) {
        GTEST_SKIP() << "/usr/bin/python3 with mido (package python3-mido) is not available";
    }
    const std::string name = pathOf("played.mid");
    {
        int owner = 0;
        MidiFile file(&owner);
        ASSERT_TRUE(file.newFile(nullptr));
        const Bytes events = {0x00, 0xC0, 0x49,               // t 0: program 73
                              0x00, 0xB0, 0x07, 0x64,         // t 0: volume 100
                              0x05, 0x90, 0x3C, 0x64,         // t 5: note on 60
                              0x81, 0x48, 0xE0, 0x00, 0x50,   // t 205: pitch bend
                              0x82, 0x2C, 0x80, 0x3C, 0x00};  // t 505: note off 60
        ASSERT_EQ(file.write(events.data(), static_cast<int32_t>(events.size())),
                  static_cast<int32_t>(events.size()));
        ASSERT_TRUE(file.saveAs(name.c_str()));
        ASSERT_TRUE(file.close());
    }
    std::string out;
    ASSERT_TRUE(midoListing(folder.string(), name, out)) << out;
    EXPECT_EQ(out, kHeadListing +
                       "0 program_change 73\n"
                       "0 control_change 7 100\n"
                       "5 note_on 60 100\n"
                       "205 pitchwheel 0 80\n"
                       "505 note_off 60 0\n"
                       "505 end\n");
}

// What a crash at each point would leave: Save As and Save give a file every program reads,
// while the recording goes on in it.
TEST_F(InteropTest, MidoReadsAMidiRecordingAfterEverySaveWhileItGoesOn) {
    if (!haveMido()) {
        GTEST_SKIP() << "/usr/bin/python3 with mido (package python3-mido) is not available";
    }
    int owner = 0;
    MidiFile file(&owner);
    ASSERT_TRUE(file.newFile(nullptr));
    const auto put = [&file](const Bytes& bytes) {
        return file.write(bytes.data(), static_cast<int32_t>(bytes.size())) ==
               static_cast<int32_t>(bytes.size());
    };
    ASSERT_TRUE(put({0x00, 0xC0, 0x49}));  // program 73: an odd track, padded
    const std::string name = pathOf("going-on.mid");
    ASSERT_TRUE(file.saveAs(name.c_str()));
    std::string out;
    ASSERT_TRUE(midoListing(folder.string(), name, out)) << "after Save As";
    EXPECT_EQ(out, kHeadListing + "0 program_change 73\n0 end\n");

    ASSERT_TRUE(put({0x05, 0x90, 0x3C, 0x64}));  // over the end of track
    ASSERT_TRUE(midoListing(folder.string(), name, out)) << "an unsaved event";
    EXPECT_EQ(out, kHeadListing + "0 program_change 73\n");

    ASSERT_TRUE(file.bringUpToDate());
    ASSERT_TRUE(midoListing(folder.string(), name, out)) << "after Save";
    EXPECT_EQ(out, kHeadListing + "0 program_change 73\n5 note_on 60 100\n5 end\n");

    ASSERT_TRUE(put({0x0A, 0x80, 0x3C, 0x00}));
    ASSERT_TRUE(file.bringUpToDate());
    ASSERT_TRUE(midoListing(folder.string(), name, out)) << "after a second Save";
    EXPECT_EQ(out,
              kHeadListing + "0 program_change 73\n5 note_on 60 100\n15 note_off 60 0\n15 end\n");
}

TEST_F(InteropTest, FluidsynthRendersTheMidiRecordings) {
    if (!haveProgram("fluidsynth")) {
        GTEST_SKIP() << "fluidsynth is not installed";
    }
    std::string soundFont;
    for (const char* candidate :
         {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2"}) {
        if (std::filesystem::exists(candidate)) {
            soundFont = candidate;
            break;
        }
    }
    if (soundFont.empty()) {
        GTEST_SKIP() << "no General MIDI SoundFont (timgm6mb-soundfont) is installed";
    }
    const std::string name = pathOf("render.mid");
    {
        int owner = 0;
        MidiFile file(&owner);
        ASSERT_TRUE(file.open(name.c_str()));
        const Bytes events = {0x00, 0xC0, 0x00, 0x00, 0x90, 0x45,
                              0x70, 0x83, 0x74, 0x80, 0x45, 0x00};  // A4 for 500 ms
        ASSERT_EQ(file.write(events.data(), static_cast<int32_t>(events.size())),
                  static_cast<int32_t>(events.size()));
    }
    const std::string rendered = pathOf("render.wav");
    std::string out;
    ASSERT_TRUE(run("fluidsynth -q -F " + shellQuoted(rendered) + " -ni " + shellQuoted(soundFont) +
                        " " + shellQuoted(name),
                    out));
    ASSERT_TRUE(run("soxi -D " + shellQuoted(rendered), out));
    EXPECT_GE(std::stod(out), 0.5) << "the note lasts half a second";
    ASSERT_TRUE(
        run("sox " + shellQuoted(rendered) + " -n stat 2>&1 | grep 'Maximum amplitude'", out));
    EXPECT_GT(std::stod(out.substr(out.find(':') + 1)), 0.01) << "the note is heard";
}

}  // namespace
