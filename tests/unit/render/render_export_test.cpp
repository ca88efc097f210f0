// lirveto-render --format as users run it: every kind of file reads back at the rate and channels
// asked for, a render at another rate keeps its pitch, and a failed write leaves nothing behind.

#include <gtest/gtest.h>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <type_traits>
#include <vector>

#include "support/file_size_limit.h"
#include "support/run_program.h"
#include "support/temporary_folder.h"
#include "support/tone_analysis.h"
#include "unit/midi_devices/pitch_analysis.h"

namespace {

namespace fs = std::filesystem;
using testing_support::runProgram;

const std::string kRender = LIRVETO_RENDER_PATH;

struct Sound {
    int rate = 0;
    int channels = 0;
    std::vector<double> left;  // full scale 1
};

Sound readSound(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return {};
    }
    std::vector<double> frames(static_cast<size_t>(info.frames * info.channels));
    frames.resize(
        static_cast<size_t>(sf_readf_double(file, frames.data(), info.frames) * info.channels));
    sf_close(file);
    Sound sound{info.samplerate, info.channels, {}};
    for (size_t at = 0; at < frames.size(); at += static_cast<size_t>(info.channels)) {
        sound.left.push_back(frames[at]);
    }
    return sound;
}

// Every sample of a file as libsndfile's int (full scale 2^31), or its doubles for a float file.
template <typename Sample>
std::vector<Sample> readSamples(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return {};
    }
    std::vector<Sample> samples(static_cast<size_t>(info.frames * info.channels));
    if constexpr (std::is_same_v<Sample, int>) {
        samples.resize(
            static_cast<size_t>(sf_read_int(file, samples.data(), sf_count_t(samples.size()))));
    } else {
        samples.resize(
            static_cast<size_t>(sf_read_double(file, samples.data(), sf_count_t(samples.size()))));
    }
    sf_close(file);
    return samples;
}

// How many samples have bits below the top 16 (a 16-bit render widened has none).
size_t samplesWithLowBits(const std::vector<int>& samples) {
    return size_t(std::count_if(samples.begin(), samples.end(),
                                [](int sample) { return (sample & 0xFF00) != 0; }));
}

class RenderExport : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.create("lirveto-export"));
        gesture = (folder.path() / "held.gesture").string();
        std::ofstream(gesture) << "0 700 400\n300 700 400\n";
    }

    testing_support::ProgramRun render(const std::string& format, const std::string& out,
                                       const std::string& engine = "wave") {
        return runProgram(
            kRender, {"--engine", engine, "--gesture", gesture, "--out", out, "--format", format});
    }

    std::string at(const std::string& name) const { return (folder.path() / name).string(); }

    testing_support::TemporaryFolder folder;
    std::string gesture;
};

TEST_F(RenderExport, EveryKindReadsBackAtTheRateAndChannelsAsked) {
    struct Case {
        const char* format;
        const char* name;
        int rate;
        int channels;
        const char* sameLengthAs;  // a lossless render of the same rate and channels
        int codecPadding;          // frames the codec may add or take
    };
    const Case cases[] = {
        {"wav:48000:16:2", "a.wav", 48000, 2, nullptr, 0},
        {"flac:48000:24:2", "a.flac", 48000, 2, "a.wav", 0},
        {"ogg:48000::2", "a.ogg", 48000, 2, "a.wav", 0},
        {"opus:48000::2", "a.opus", 48000, 2, "a.wav", 960},
        {"mp3:48000::2", "a.mp3", 48000, 2, "a.wav", 2304},
        {"wav:96000:float:1", "b.wav", 96000, 1, nullptr, 0},
        {"flac:22050:8", "c.flac", 22050, 1, nullptr, 0},
    };
    for (const Case& c : cases) {
        for (const char* engine : {"wave", "dsound"}) {
            const auto run = render(c.format, at(c.name), engine);
            ASSERT_EQ(run.status, 0) << c.format << " " << engine << ": " << run.err;
            const Sound sound = readSound(at(c.name));
            EXPECT_EQ(sound.rate, c.rate) << c.format;
            EXPECT_EQ(sound.channels, c.channels) << c.format;
            EXPECT_GT(sound.left.size(), size_t(c.rate) / 4) << c.format << " " << engine;
            if (c.sameLengthAs != nullptr) {
                render("wav:48000:16:2", at(c.sameLengthAs), engine);
                const double expected = double(readSound(at(c.sameLengthAs)).left.size());
                EXPECT_NEAR(double(sound.left.size()), expected, c.codecPadding)
                    << c.format << " " << engine;
            }
        }
    }
}

// Hz over [from, to) s: the slope of the rising zero crossings, each placed between its two
// samples, against their count (finer than a whole-sample count by far).
double precisePitchHz(const Sound& sound, double from, double to) {
    std::vector<double> crossings;
    const auto last = std::min(sound.left.size(), static_cast<size_t>(to * sound.rate));
    for (auto i = static_cast<size_t>(from * sound.rate) + 1; i < last; ++i) {
        const double before = sound.left[i - 1];
        const double after = sound.left[i];
        if (before < 0 && after >= 0) {
            crossings.push_back(static_cast<double>(i) - after / (after - before));
        }
    }
    const auto n = static_cast<double>(crossings.size());
    double sumK = 0, sumT = 0, sumKK = 0, sumKT = 0;
    for (size_t k = 0; k < crossings.size(); ++k) {
        sumK += double(k);
        sumT += crossings[k];
        sumKK += double(k) * double(k);
        sumKT += double(k) * crossings[k];
    }
    const double period = (n * sumKT - sumK * sumT) / (n * sumKK - sumK * sumK);
    return sound.rate / period;
}

// The loudness of each 100 ms, in dB of full scale.
std::vector<double> loudnessCurve(const Sound& sound) {
    std::vector<double> curve;
    const auto window = static_cast<size_t>(sound.rate / 10);
    for (size_t at = 0; at + window <= sound.left.size(); at += window) {
        double sum = 0;
        for (size_t i = at; i < at + window; ++i) {
            sum += sound.left[i] * sound.left[i];
        }
        curve.push_back(10 * std::log10(sum / double(window) + 1e-12));
    }
    return curve;
}

// The play's own 22050 Hz 8-bit sound against an export at 48000 Hz 24-bit: the same pitch, to a
// tenth of a cent (the export sounds the pitch the play's whole phase steps gave), and the same
// loudness wherever it holds (when a change is heard hangs on where each rate's buffers end).
TEST_F(RenderExport, AFortyEightKilohertzRenderHasThePitchAndLoudnessOfThePlay) {
    gesture = at("loudness.gesture");
    std::ofstream(gesture) << "0 700 400\n800 700 200\n1600 700 700\n2400 700 700\n";
    for (const char* engine : {"wave", "dsound"}) {
        ASSERT_EQ(render("wav:22050:8:1", at("low.wav"), engine).status, 0);
        ASSERT_EQ(render("wav:48000:24:2", at("high.wav"), engine).status, 0);
        const Sound low = readSound(at("low.wav"));
        const Sound high = readSound(at("high.wav"));
        EXPECT_EQ(high.rate, 48000);
        // After the DirectSound stream's slide up from silence.
        const double played = precisePitchHz(low, 1.0, 2.3);
        ASSERT_GT(played, 100.0) << engine;
        EXPECT_NEAR(1200 * std::log2(precisePitchHz(high, 1.0, 2.3) / played), 0.0, 0.1)
            << engine << " at " << played << " Hz";
        const auto lowCurve = loudnessCurve(low);
        const auto highCurve = loudnessCurve(high);
        ASSERT_EQ(lowCurve.size(), highCurve.size()) << engine;
        int held = 0;
        for (size_t i = 1; i + 1 < lowCurve.size(); ++i) {
            if (std::abs(lowCurve[i - 1] - lowCurve[i]) < 0.2 &&
                std::abs(lowCurve[i + 1] - lowCurve[i]) < 0.2) {
                ++held;
                EXPECT_NEAR(highCurve[i], lowCurve[i], 0.5) << engine << " at " << i * 100 << " ms";
            }
        }
        EXPECT_GE(held, 12) << engine;
    }
}

TEST_F(RenderExport, ATwentyFourBitRenderIsTheSixteenBitOneWithTheBitsItDrops) {
    for (const char* engine : {"wave", "dsound"}) {
        ASSERT_EQ(render("wav:48000:16", at("16.wav"), engine).status, 0);
        ASSERT_EQ(render("wav:48000:24", at("24.wav"), engine).status, 0);
        ASSERT_EQ(render("wav:48000:float", at("float.wav"), engine).status, 0);
        const std::vector<int> sixteen = readSamples<int>(at("16.wav"));
        const std::vector<int> deep = readSamples<int>(at("24.wav"));
        const std::vector<double> floats = readSamples<double>(at("float.wav"));
        ASSERT_GT(sixteen.size(), size_t{48000} / 4) << engine;
        ASSERT_EQ(deep.size(), sixteen.size()) << engine;
        ASSERT_EQ(floats.size(), deep.size()) << engine;
        for (size_t i = 0; i < deep.size(); ++i) {
            ASSERT_EQ(deep[i] >> 16, sixteen[i] >> 16) << engine << " sample " << i;
            ASSERT_EQ(floats[i], std::ldexp(deep[i], -31)) << engine << " sample " << i;
        }
        EXPECT_GT(samplesWithLowBits(deep), deep.size() / 2) << engine;
    }
}

TEST_F(RenderExport, TheSameFileGoesToStandardOutput) {
    ASSERT_EQ(render("flac:44100:16:2", at("file.flac")).status, 0);
    const auto run = render("flac:44100:16:2", "-");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, testing_support::readAll(at("file.flac")));
}

TEST_F(RenderExport, AFullDiskLeavesTheOldFileAndNoOther) {
    std::ofstream(at("kept.wav")) << "old";
    {
        // The take (24-bit) fits; the float file, a third larger, does not.
        testing_support::FileSizeLimit limit(350000);
        const auto run = render("wav:96000:float:2", at("kept.wav"));
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("cannot write --out '" + at("kept.wav") + "': File too large"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(render("wav:96000:float:2", at("new.wav")).status, 1);
    }
    EXPECT_EQ(testing_support::readAll(at("kept.wav")), "old");
    // Only the gesture and the old file: no temporary file stays.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);
}

// The Midi page's sound through the built-in synth: a held middle C (x 960 of 1920 plays note 60
// with no bend at a first start) for 500 ms, then the release tail.
class MidiExport : public RenderExport {
  protected:
    void SetUp() override {
        if (!fs::exists("/usr/share/sounds/sf2/default-GM.sf2") &&
            !fs::exists("/usr/share/sounds/sf2/default-GM.sf3")) {
            GTEST_SKIP() << "no General MIDI SoundFont (timgm6mb-soundfont) is installed";
        }
        RenderExport::SetUp();
        std::ofstream(gesture) << "0 960 500\n500 960 500\n";
    }
};

TEST_F(MidiExport, ASynthRenderHasTheRateLengthAndPitchOfTheNotePlayed) {
    ASSERT_EQ(render("wav", at("default.wav"), "midi").status, 0);
    const Sound own = readSound(at("default.wav"));
    EXPECT_EQ(own.rate, 44100);
    EXPECT_EQ(own.channels, 2);

    const auto run = render("wav:48000", at("note.wav"), "midi");
    ASSERT_EQ(run.status, 0) << run.err;
    const Sound sound = readSound(at("note.wav"));
    EXPECT_EQ(sound.rate, 48000);
    EXPECT_EQ(sound.channels, 2);
    // 500 ms played and 1 s of release, to the frame.
    EXPECT_EQ(sound.left.size(), size_t{72000});
    std::vector<int16_t> left;
    for (const double sample : sound.left) {
        left.push_back(static_cast<int16_t>(std::lround(sample * 32767)));
    }
    EXPECT_NEAR(midi_test::pitchAt(left, 4800, 14400, 48000), 261.63, 1.5);
    // Silent after the release: the note ended at Stop.
    EXPECT_LT(midi_test::energy(left, 72000 - 4800, 4800), midi_test::energy(left, 4800, 14400));
}

TEST_F(MidiExport, ATwentyFourBitFileHoldsTheSynthsSoundBelowSixteenBits) {
    ASSERT_EQ(render("wav:48000:24:1", at("deep.wav"), "midi").status, 0);
    const std::vector<int> deep = readSamples<int>(at("deep.wav"));
    ASSERT_EQ(deep.size(), size_t{72000});
    EXPECT_GT(*std::max_element(deep.begin(), deep.end()), 1 << 27);  // above -24 dB
    EXPECT_GT(samplesWithLowBits(deep), deep.size() / 4);
}

TEST_F(MidiExport, AMissingSoundFontIsNamedAndWritesNothing) {
    const std::string missing = at("none.sf2");
    const auto run =
        runProgram(kRender, {"--engine", "midi", "--gesture", gesture, "--out", at("note.wav"),
                             "--format", "wav", "--soundfont", missing});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("the SoundFont '" + missing +
                           "' is missing: install a General MIDI "
                           "SoundFont"),
              std::string::npos)
        << run.err;
    // Only the gesture: no output and no temporary take.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

}  // namespace
