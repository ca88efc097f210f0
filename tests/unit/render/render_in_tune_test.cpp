// lirveto-render with the playing aids, as users run it: the pitch a real engine plays from a
// held, out-of-tune cursor lands on the scale (measured in the WAV, read back from the MIDI
// file), and the DirectSound glide takes the time it is given.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temporary_folder.h"
#include "support/tone_analysis.h"

namespace {

using testing_support::runProgram;

constexpr int kRate = 22050;

double pitchOf(double hz) {
    return 69.0 + 12.0 * std::log2(hz / 440.0);
}

// One period of the tone: where it ends (seconds) and its pitch.
struct Period {
    double endSeconds;
    double pitch;
};

// The pitch of each period, from rising zero crossings placed between their samples.
std::vector<Period> periods(const std::vector<int>& samples) {
    std::vector<Period> track;
    double previous = -1;
    for (size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0) {
            const double at = static_cast<double>(i - 1) +
                              static_cast<double>(-samples[i - 1]) / (samples[i] - samples[i - 1]);
            if (previous >= 0) {
                track.push_back({at / kRate, pitchOf(kRate / (at - previous))});
            }
            previous = at;
        }
    }
    return track;
}

// The mean pitch of the periods ending within [fromMs, toMs).
double meanPitch(const std::vector<Period>& track, int fromMs, int toMs) {
    double sum = 0;
    int count = 0;
    for (const Period& period : track) {
        if (period.endSeconds * 1000 >= fromMs && period.endSeconds * 1000 < toMs) {
            sum += period.pitch;
            ++count;
        }
    }
    return count > 0 ? sum / count : 0.0;
}

class RenderInTuneTest : public ::testing::Test {
  protected:
    RenderInTuneTest() {
        folder.create("lirveto-render-in-tune");
        // 16-bit samples, so zero crossings can be placed between them.
        std::ofstream(at("format.ini")) << "[Version]\n[Setup]\nResolution=16bit\nVolume=100\n";
    }
    std::string at(const char* name) const { return (folder.path() / name).string(); }

    // Renders `gesture` and returns the WAV's samples (empty on failure, which is reported).
    std::vector<int> renderWave(const char* engine, const std::string& gesture,
                                std::vector<std::string> aids) {
        std::ofstream(at("gesture.txt")) << gesture;
        std::vector<std::string> args{"--engine", engine,         "--gesture",  at("gesture.txt"),
                                      "--out",    at("take.wav"), "--settings", at("format.ini")};
        args.insert(args.end(), aids.begin(), aids.end());
        const auto run = runProgram(LIRVETO_RENDER_PATH, args);
        EXPECT_EQ(run.status, 0) << run.err;
        return wave_test::leftSamples(wave_test::waveData(wave_test::fileBytes(at("take.wav"))),
                                      engine::OutputFormat{false, false, true});
    }

    testing_support::TemporaryFolder folder;
};

// Notes 48..72 across the 1920 columns of the default screen, and a major scale on C. Column
// 1071 plays 61.39 (nearest scale note D, 62) and column 1335 plays 64.70 (nearest F, 65).
const std::vector<std::string> kOutOfTune{"--layout", "semitones:48:72", "--correction",
                                          "major:C:100:80"};
const std::string kTwoHeldNotes = "0 1071 300\n1000 1335 300\n2000 1335 300\n";

TEST_F(RenderInTuneTest, HeldOutOfTuneTheWaveAndDirectSoundEnginesSettleOnTheScale) {
    for (const char* engine : {"wave", "dsound"}) {
        std::vector<std::string> aids = kOutOfTune;
        aids.insert(aids.end(), {"--glide", "0"});
        const auto track = periods(renderWave(engine, kTwoHeldNotes, aids));
        // The Wave engine's sound trails the cursor by up to two buffers.
        EXPECT_NEAR(meanPitch(track, 600, 1000), 62.0, 0.005) << engine;
        EXPECT_NEAR(meanPitch(track, 1600, 2000), 65.0, 0.005) << engine;
    }
}

TEST_F(RenderInTuneTest, TheMidiFilesNotesAndBendsLandOnTheScale) {
    // The Midi page keeps its own range (notes 40 to 80 at a first start) whatever the layout:
    // the same two pitches, 61.4 and 64.7, lie further left.
    std::ofstream(at("gesture.txt")) << "0 1027 300\n1000 1185 300\n2000 1185 300\n";
    std::vector<std::string> args{"--engine",        "midi",  "--gesture",
                                  at("gesture.txt"), "--out", at("take.mid")};
    args.insert(args.end(), kOutOfTune.begin(), kOutOfTune.end());
    const auto render = runProgram(LIRVETO_RENDER_PATH, args);
    ASSERT_EQ(render.status, 0) << render.err;

    // Channel 13's pitch (the sounding note and its bend, range 2) at each time it changed.
    constexpr const char* kPitchesWithMido = R"(
import sys, mido
now, note, bend = 0, None, 8192
for event in mido.MidiFile(sys.argv[1]).tracks[1]:
    now += event.time
    if getattr(event, 'channel', None) != 13:
        continue
    if event.type == 'note_on':
        note = event.note
    elif event.type == 'pitchwheel':
        bend = event.pitch + 8192
    else:
        continue
    if note is not None:
        print(now, note, note + (bend - 8192) * 2 / 8192)
)";
    const auto mido = runProgram("/usr/bin/python3", {"-c", kPitchesWithMido, at("take.mid")});
    ASSERT_EQ(mido.status, 0) << mido.err;
    std::istringstream lines(mido.out);
    int time = 0;
    int note = 0;
    double pitch = 0;
    std::vector<int> struck;
    double endOfFirst = 0;
    while (lines >> time >> note >> pitch) {
        if (struck.empty() || struck.back() != note) {
            struck.push_back(note);
        }
        if (time < 1000) {
            endOfFirst = pitch;
        }
    }
    EXPECT_NEAR(endOfFirst, 62.0, 0.001);
    EXPECT_NEAR(pitch, 65.0, 0.001);
    // Each hold strikes one note, the correction only bends: the first hold its own D, the
    // second (2.6 above D) the note twice the bend range up, bent down to F.
    EXPECT_EQ(struck, (std::vector<int>{62, 66}));
}

TEST_F(RenderInTuneTest, TheDirectSoundGlideTakesTheTimeItIsGiven) {
    // An octave up, from C4 to C5, at 500 ms.
    const std::string jump = "0 0 300\n500 1919 300\n1600 1919 300\n";
    const std::vector<std::string> layout{"--layout", "semitones:60:72"};

    // Glide 0: one period at most (a few ms) is neither the old pitch nor the new.
    std::vector<std::string> aids = layout;
    aids.insert(aids.end(), {"--glide", "0"});
    int between = 0;
    for (const Period& period : periods(renderWave("dsound", jump, aids))) {
        between += std::fabs(period.pitch - 60) > 0.05 && std::fabs(period.pitch - 72) > 0.05;
    }
    EXPECT_LE(between, 1);

    // Glide 100 ms: 63 % of the twelve semitones are covered 100 ms after the glide began.
    aids = layout;
    aids.insert(aids.end(), {"--glide", "100"});
    const auto track = periods(renderWave("dsound", jump, aids));
    double began = -1;
    for (const Period& period : track) {
        if (period.pitch > 60.05) {
            began = period.endSeconds;
            break;
        }
    }
    ASSERT_GT(began, 0.4);
    const int at100 = static_cast<int>(std::lround((began + 0.1) * 1000));
    const double covered = (meanPitch(track, at100 - 2, at100 + 3) - 60.0) / 12.0;
    EXPECT_NEAR(covered, 1.0 - std::exp(-1.0), 0.04);
    EXPECT_NEAR(meanPitch(track, 1400, 1600), 72.0, 0.01) << "and it arrives";
}

}  // namespace
