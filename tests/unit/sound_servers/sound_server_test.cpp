// The private sound servers that tests play through, and heard.py, which judges what they played.

#include <gtest/gtest.h>
#include <signal.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "support/private_sound_server.h"
#include "support/run_program.h"
#include "support/temporary_folder.h"

namespace {

using testing_support::PrivateSoundServer;
using testing_support::ProgramRun;
using testing_support::runProgram;
using testing_support::SoundServerKind;
using testing_support::TemporaryFolder;

constexpr int rate = 48000;

QJsonObject heard(const std::string& recording) {
    const ProgramRun run = runProgram("/usr/bin/python3", {LIRVETO_HEARD_SCRIPT, recording});
    EXPECT_EQ(run.status, 0) << run.err;
    return QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
}

std::vector<double> numbers(const QJsonValue& list) {
    std::vector<double> all;
    for (const auto& value : list.toArray()) {
        all.push_back(value.toDouble());
    }
    return all;
}

// Still running: a zombie has ended, it only waits for its parent to collect it.
bool running(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    const auto close = text.rfind(") ");
    return close != std::string::npos && text.compare(close + 2, 1, "Z") != 0;
}

struct Route {
    const char* name;
    SoundServerKind kind;
    const char* player;
};

// GoogleTest looks for this name.
// NOLINTNEXTLINE(readability-identifier-naming)
void PrintTo(const Route& route, std::ostream* out) {
    *out << route.name;
}

class PlayedTone : public ::testing::TestWithParam<Route> {};

TEST_P(PlayedTone, IsRecordedWholeAtItsPitchAndItsServerEndsWithIt) {
    TemporaryFolder work;
    ASSERT_TRUE(work.create("lirveto-played"));
    const std::string tone = (work.path() / "tone.wav").string();
    const std::string recording = (work.path() / "recording.raw").string();
    std::vector<pid_t> pids;
    {
        PrivateSoundServer server(GetParam().kind, LIRVETO_SOUND_SERVER_SCRIPT);
        REQUIRE_SOUND_SERVER(server);
        pids = server.pids();
        ASSERT_FALSE(pids.empty());
        // Two seconds of the monitor around a 1 s tone played once the recorder hears.
        const std::string script =
            "sox -n -r 48000 -b 16 -c 1 " + tone + " synth 1 sine 440 vol 0.5 || exit 2\n" +
            "parec --raw --format=s16le --rate=48000 --channels=1 --latency-msec=20 -d " +
            server.monitor() + " 2>/dev/null | head -c 192000 >" + recording + " &\n" +
            "for _ in $(seq 200); do [ -s " + recording + " ] && break; sleep 0.05; done\n" +
            GetParam().player + " " + tone + " || exit 3\nwait\n";
        const ProgramRun played = runProgram("/bin/sh", {"-c", script});
        ASSERT_EQ(played.status, 0) << played.err;
    }
    for (const pid_t pid : pids) {
        EXPECT_FALSE(running(pid)) << "process " << pid << " outlived its server";
    }

    const QJsonObject found = heard(recording);
    EXPECT_EQ(found["seconds"].toDouble(), 2.0);
    EXPECT_EQ(found["gaps"].toObject()["count"].toInt(-1), 0);
    EXPECT_NEAR(found["median_hz"].toDouble(), 440.0, 1.0);
    EXPECT_NEAR(found["last_sound"].toDouble() - found["first_sound"].toDouble(), 1.0, 0.02)
        << "heard from " << found["first_sound"].toDouble() << " s to "
        << found["last_sound"].toDouble() << " s";
}

INSTANTIATE_TEST_SUITE_P(
    Routes, PlayedTone,
    ::testing::Values(Route{"PulseAudio", SoundServerKind::pulseAudio, "paplay"},
                      Route{"PipeWiresPulseLayer", SoundServerKind::pipeWire, "paplay"},
                      Route{"PipeWireNatively", SoundServerKind::pipeWire, "pw-cat --playback"}),
    [](const ::testing::TestParamInfo<Route>& route) { return std::string(route.param.name); });

struct Planted {
    const char* name;
    int zerosAt;     // sample where a run of zeros starts, or -1
    int zeros;       // samples in it
    int silentEnds;  // samples of silence before and after the tone
    std::vector<double> starts;
    std::vector<double> lengthsMs;
};

// GoogleTest looks for this name.
// NOLINTNEXTLINE(readability-identifier-naming)
void PrintTo(const Planted& planted, std::ostream* out) {
    *out << planted.name;
}

class PlantedSilence : public ::testing::TestWithParam<Planted> {};

// Two seconds of a 441 Hz saw-like tone, which crosses zero only between samples.
TEST_P(PlantedSilence, CountsOnlyDropoutsInsideTheSound) {
    const Planted& planted = GetParam();
    std::vector<int16_t> samples(std::size_t{2} * rate);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double phase = std::fmod(i * 441.0 / rate + 0.01, 1.0);
        samples[i] = static_cast<int16_t>(std::lround(16000 * (2 * phase - 1)));
    }
    for (int i = 0; i < planted.zeros; ++i) {
        samples[planted.zerosAt + i] = 0;
    }
    if (planted.zerosAt > 0) {
        // Neighbours with a zero byte, which must not lengthen the run.
        samples[planted.zerosAt - 1] = 1;
        samples[planted.zerosAt + planted.zeros] = 256;
    }
    for (int i = 0; i < planted.silentEnds; ++i) {
        samples[i] = 0;
        samples[samples.size() - 1 - i] = 0;
    }
    TemporaryFolder work;
    ASSERT_TRUE(work.create("lirveto-heard"));
    const std::string file = (work.path() / "planted.raw").string();
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(samples.data()),
               static_cast<std::streamsize>(samples.size() * sizeof(int16_t)));

    const QJsonObject found = heard(file);
    const QJsonObject gaps = found["gaps"].toObject();
    EXPECT_EQ(gaps["count"].toInt(-1), static_cast<int>(planted.starts.size()));
    EXPECT_EQ(numbers(gaps["starts"]), planted.starts);
    EXPECT_EQ(numbers(gaps["lengths_ms"]), planted.lengthsMs);
    EXPECT_NEAR(found["median_hz"].toDouble(), 441.0, 0.5);
}

INSTANTIATE_TEST_SUITE_P(
    Recordings, PlantedSilence,
    ::testing::Values(Planted{"FiveMillisecondGap", 33600, 240, 0, {0.7}, {5.0}},
                      Planted{"RunShorterThanAMillisecond", 33600, 47, 0, {}, {}},
                      Planted{"SilenceBeforeAndAfterTheTone", -1, 0, 14400, {}, {}}),
    [](const ::testing::TestParamInfo<Planted>& run) { return std::string(run.param.name); });

}  // namespace
