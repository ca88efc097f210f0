// lirveto-render with the playing aids, as users run it: the pitch a real engine plays from a
// held, out-of-tune cursor lands on the scale (measured in the WAV, read back from the MIDI
// file), the DirectSound glide takes the time it is given, and the concert pitch and the
// loudness even in decibels sound as computed by hand.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
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

// The largest swing of the samples within [fromMs, toMs).
int peakBetween(const std::vector<int>& samples, int fromMs, int toMs) {
    int peak = 0;
    const auto end = std::min<size_t>(samples.size(), static_cast<size_t>(toMs) * kRate / 1000);
    for (size_t i = static_cast<size_t>(fromMs) * kRate / 1000; i < end; ++i) {
        peak = std::max(peak, std::abs(samples[i]));
    }
    return peak;
}

// Channel 13's pitch wheels (-8192..8191) and controller 7 in a MIDI take, a line each as they
// come: "bend N", "volume N".
std::string bendsAndVolumes(const std::string& take) {
    constexpr const char* kWithMido = R"(
import sys, mido
for event in mido.MidiFile(sys.argv[1]).tracks[1]:
    if getattr(event, 'channel', None) == 13 and event.type == 'pitchwheel':
        print('bend', event.pitch)
    elif getattr(event, 'control', None) == 7 and event.channel == 13:
        print('volume', event.value)
)";
    const auto mido = runProgram("/usr/bin/python3", {"-c", kWithMido, take});
    EXPECT_EQ(mido.status, 0) << mido.err;
    return mido.out;
}

TEST_F(RenderInTuneTest, AtAConcertPitchOf442HzA4SoundsAt442HzOnEveryPage) {
    // Notes 45..93 over the 1921 columns: column 960 is A4, exactly.
    for (const char* engine : {"wave", "dsound"}) {
        const auto track = periods(renderWave(
            engine, "0 960 300\n1000 960 300\n",
            {"--screen", "1921x1080", "--layout", "semitones:45:93", "--concert-pitch", "442"}));
        EXPECT_NEAR(meanPitch(track, 500, 1000), pitchOf(442.0), 0.002) << engine;
    }
    // The Midi page's range 40..80 puts A4 at column 1392 of 1920; the synth's A4 is 440 Hz, so
    // the note is bent up by 12 log2(442 / 440) = 0.0785 semitones: 0.0785 * 8192 / 2 = 321.
    std::ofstream(at("gesture.txt")) << "0 1392 300\n200 1392 300\n";
    const auto render =
        runProgram(LIRVETO_RENDER_PATH, {"--engine", "midi", "--gesture", at("gesture.txt"),
                                         "--out", at("a.mid"), "--concert-pitch", "442.0"});
    ASSERT_EQ(render.status, 0) << render.err;
    EXPECT_NE(bendsAndVolumes(at("a.mid")).find("bend 321\n"), std::string::npos);
}

TEST_F(RenderInTuneTest, LoudnessEvenInDecibelsPlaysHalfHeightAtHalfTheRange) {
    // Volume 100 at the top; at half height (540 of 1080) -40 / 2 = -20 dB: a tenth of it.
    const auto samples =
        renderWave("wave", "0 84 0\n1000 84 540\n2000 84 540\n", {"--loudness", "db:40"});
    const double top = peakBetween(samples, 500, 1000);
    const double half = peakBetween(samples, 1500, 2000);
    ASSERT_GT(top, 0);
    EXPECT_NEAR(20.0 * std::log10(half / top), -20.0, 0.1);

    // The Midi page: the level whose sound on the built-in synth (controller 7 and the device
    // volume together, 60 log10(L / 127) dB) is -20 dB, 127 * 10^(-20 / 60) = 58.95, nearest 59,
    // at the MIDI volume of a first start, 80 %: 59 * 80 / 100 = 47.
    std::ofstream(at("gesture.txt")) << "0 1000 540\n200 1000 540\n";
    const auto render =
        runProgram(LIRVETO_RENDER_PATH, {"--engine", "midi", "--gesture", at("gesture.txt"),
                                         "--out", at("loud.mid"), "--loudness", "db:40"});
    ASSERT_EQ(render.status, 0) << render.err;
    EXPECT_NE(bendsAndVolumes(at("loud.mid")).find("volume 47\n"), std::string::npos);
}

}  // namespace
