// heard.py, which judges what the private sound servers played: only dropouts inside the sound
// count.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temporary_folder.h"

namespace {

using testing_support::ProgramRun;
using testing_support::runProgram;
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
