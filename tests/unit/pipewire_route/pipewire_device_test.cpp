// The PipeWire route playing into a private PipeWire server, judged by what its null sink's
// monitor recorded (heard.py): pitch, gaps, and the dropouts the route counted.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <numbers>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio_underruns.h"
#include "platform/backends/pipewire_audio_device.h"
#include "support/private_sound_server.h"
#include "support/run_program.h"
#include "support/temporary_folder.h"

namespace {

using platform::AudioFormat;
using platform::PipeWireDevice;
using testing_support::PrivateSoundServer;
using testing_support::ProgramRun;
using testing_support::runProgram;
using testing_support::SoundServerKind;
using testing_support::TemporaryFolder;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A sine that never rests on zero for a whole millisecond, so every gap heard is a dropout.
// stall() makes the next fill block, as a source too slow for its deadline would.
class Tone final : public platform::AudioSource {
  public:
    Tone(const AudioFormat& format, double hz)
        : frameBytes(format.frameBytes()),
          bits(format.bits),
          step(2 * std::numbers::pi * hz / format.rate) {}

    void fill(std::span<uint8_t> out) noexcept override {
        if (const int ms = stallMs.exchange(0); ms > 0) {
            std::this_thread::sleep_for(milliseconds(ms));
        }
        for (std::size_t at = 0; at + frameBytes <= out.size(); at += frameBytes) {
            const double value = 0.5 * std::sin(phase);
            phase = std::fmod(phase + step, 2 * std::numbers::pi);
            for (int byte = 0; byte < frameBytes; byte += bits / 8) {
                if (bits == 8) {
                    out[at + byte] = static_cast<uint8_t>(std::lround(128 + 127 * value));
                } else {
                    const auto sample = static_cast<uint16_t>(std::lround(32767 * value));
                    out[at + byte] = static_cast<uint8_t>(sample & 0xff);
                    out[at + byte + 1] = static_cast<uint8_t>(sample >> 8);
                }
            }
        }
        fills.fetch_add(1);
    }

    void stall(int ms) { stallMs.store(ms); }
    int filled() const { return fills.load(); }

  private:
    const int frameBytes;
    const int bits;
    const double step;
    double phase = 0;
    std::atomic<int> stallMs{0};
    std::atomic<int> fills{0};
};

// The server's monitor recorded into a file, by a recorder asking a long latency so that it never
// sets the graph's cycle itself; ended by its pid.
class MonitorRecording {
  public:
    MonitorRecording(const PrivateSoundServer& server, const std::string& file) : path(file) {
        std::vector<std::string> args{"parec",        "--raw",         "--format=s16le",
                                      "--rate=48000", "--channels=1",  "--latency-msec=200",
                                      "-d",           server.monitor()};
        std::vector<char*> argv;
        argv.reserve(args.size() + 1);
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        if (posix_spawnp(&pid, "parec", &actions, nullptr, argv.data(), environ) != 0) {
            pid = 0;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~MonitorRecording() { stop(); }
    MonitorRecording(const MonitorRecording&) = delete;
    MonitorRecording& operator=(const MonitorRecording&) = delete;

    // True once the recorder has written something: from then on nothing played is missed.
    bool waitUntilRecording() const {
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (Clock::now() < deadline) {
            std::error_code ignored;
            if (std::filesystem::file_size(path, ignored) > 0) {
                return true;
            }
            std::this_thread::sleep_for(milliseconds(20));
        }
        return false;
    }

    void stop() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
            pid = 0;
        }
    }

  private:
    std::string path;
    pid_t pid = 0;
};

QJsonObject heard(const std::string& recording) {
    const ProgramRun run = runProgram("/usr/bin/python3", {LIRVETO_HEARD_SCRIPT, recording});
    EXPECT_EQ(run.status, 0) << run.err;
    return QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
}

std::string gapsText(const QJsonObject& found) {
    const QJsonObject gaps = found["gaps"].toObject();
    std::string text;
    for (int i = 0; i < gaps["starts"].toArray().size(); ++i) {
        text += " " + std::to_string(gaps["lengths_ms"].toArray()[i].toDouble()) + " ms at " +
                std::to_string(gaps["starts"].toArray()[i].toDouble()) + " s;";
    }
    return text;
}

template <typename Condition>
bool within(milliseconds time, Condition condition) {
    const auto deadline = Clock::now() + time;
    while (!condition()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(milliseconds(10));
    }
    return true;
}

AudioFormat formatOf(int rate, int channels, int bits, int serverBufferMs) {
    AudioFormat format;
    format.rate = rate;
    format.channels = channels;
    format.bits = bits;
    format.serverBufferMs = serverBufferMs;
    return format;
}

}  // namespace

class PipeWireRoute : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(work.create("lirveto-pipewire")); }
    std::string recording() const { return (work.path() / "monitor.raw").string(); }

    TemporaryFolder work;
};

// With the longest buffer, so that a machine busy with other work does not make it drop out.
TEST_F(PipeWireRoute, PlaysATonesPitchWithoutAGapAndAFixedBufferStaysAfterADropout) {
    PrivateSoundServer server(SoundServerKind::pipeWire, LIRVETO_SOUND_SERVER_SCRIPT);
    REQUIRE_SOUND_SERVER(server);
    const AudioFormat format = formatOf(22050, 1, 16, PipeWireDevice::kLongestMs);
    Tone tone(format, 441);
    PipeWireDevice device;
    MonitorRecording monitor(server, recording());
    ASSERT_TRUE(monitor.waitUntilRecording());
    ASSERT_TRUE(device.open(format, tone)) << device.lastError();
    EXPECT_EQ(device.routeName(), "PipeWire");
    device.start();
    std::this_thread::sleep_for(std::chrono::seconds(5));
    device.stop();
    const uint64_t played = device.framesPlayed();
    const uint64_t dropouts = device.serverUnderruns();
    std::this_thread::sleep_for(milliseconds(300));
    monitor.stop();

    const int32_t bufferMs = device.serverBufferMs();
    device.start();
    tone.stall(150);
    EXPECT_TRUE(within(milliseconds(1500), [&] { return device.serverUnderruns() > dropouts; }));
    std::this_thread::sleep_for(milliseconds(1000));
    EXPECT_EQ(device.serverBufferMs(), bufferMs);
    device.close();

    const QJsonObject found = heard(recording());
    EXPECT_EQ(found["gaps"].toObject()["count"].toInt(-1), 0) << gapsText(found);
    EXPECT_EQ(dropouts, 0U);
    EXPECT_NEAR(found["median_hz"].toDouble(), 441.0, 1.0);
    EXPECT_NEAR(found["last_sound"].toDouble() - found["first_sound"].toDouble(), 5.0, 0.2);
    EXPECT_NEAR(static_cast<double>(played) / format.rate, 5.0, 0.2);
    // The graph runs a latency as a power of two frames, no longer than asked nor than it allows.
    EXPECT_GT(bufferMs, 20);
    EXPECT_LE(bufferMs, PipeWireDevice::kLongestMs);
}

TEST_F(PipeWireRoute, AStalledFillIsHeardAndCountedAndAutoRaisesTheLatency) {
    PrivateSoundServer server(SoundServerKind::pipeWire, LIRVETO_SOUND_SERVER_SCRIPT);
    REQUIRE_SOUND_SERVER(server);
    const AudioFormat format = formatOf(44100, 2, 8, 0);
    Tone tone(format, 441);
    PipeWireDevice device;
    MonitorRecording monitor(server, recording());
    ASSERT_TRUE(monitor.waitUntilRecording());
    ASSERT_TRUE(device.open(format, tone)) << device.lastError();
    const uint64_t countedBefore = platform::underrunCount();
    device.start();
    std::this_thread::sleep_for(milliseconds(1000));
    const int32_t autoStartMs = device.serverBufferMs();
    tone.stall(100);
    EXPECT_TRUE(within(milliseconds(1000), [&] { return device.serverUnderruns() > 0; }));
    // A raise waits a second after the one before, which a dropout of the busy machine may have
    // made already.
    EXPECT_TRUE(within(milliseconds(2000), [&] { return device.serverBufferMs() > autoStartMs; }))
        << "still " << device.serverBufferMs() << " ms";
    std::this_thread::sleep_for(milliseconds(500));

    // Stopping waits for a fill in progress, and none begins until the next start.
    tone.stall(200);
    std::this_thread::sleep_for(milliseconds(50));
    device.stop();
    const int fillsAtStop = tone.filled();
    const uint64_t dropouts = device.serverUnderruns();
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(tone.filled(), fillsAtStop);
    device.start();
    EXPECT_TRUE(within(milliseconds(1000), [&] { return tone.filled() > fillsAtStop; }));
    device.stop();
    std::this_thread::sleep_for(milliseconds(300));
    monitor.stop();
    device.close();

    const QJsonObject found = heard(recording());
    const QJsonArray lengths = found["gaps"].toObject()["lengths_ms"].toArray();
    EXPECT_TRUE(std::any_of(lengths.begin(), lengths.end(), [](const QJsonValue& ms) {
        return std::abs(ms.toDouble() - 100) < 15;
    })) << gapsText(found);
    EXPECT_GE(dropouts, 1U);
    EXPECT_GE(platform::underrunCount() - countedBefore, dropouts);
    EXPECT_NEAR(found["median_hz"].toDouble(), 441.0, 1.0);
}

TEST_F(PipeWireRoute, AServerThatStopsIsLostWithinASecondAndClosingDoesNotHang) {
    auto server = std::make_unique<PrivateSoundServer>(SoundServerKind::pipeWire,
                                                       LIRVETO_SOUND_SERVER_SCRIPT);
    REQUIRE_SOUND_SERVER(*server);
    const AudioFormat format = formatOf(22050, 1, 8, 20);
    Tone tone(format, 441);
    PipeWireDevice device;
    ASSERT_TRUE(device.open(format, tone)) << device.lastError();
    device.start();
    ASSERT_TRUE(within(milliseconds(1000), [&] { return device.framesPlayed() > 0; }));
    EXPECT_FALSE(device.lost());

    server.reset();
    EXPECT_TRUE(within(milliseconds(1000), [&] { return device.lost(); }));
    const auto closing = Clock::now();
    device.stop();
    device.close();
    EXPECT_LT(Clock::now() - closing, milliseconds(1000));
}

TEST_F(PipeWireRoute, OpeningWithoutAServerFailsAtOnceNamingPipeWire) {
    testing_support::ScopedEnvironmentVariable runtime("PIPEWIRE_RUNTIME_DIR");
    testing_support::ScopedEnvironmentVariable userRuntime("XDG_RUNTIME_DIR");
    runtime.set(work.path().string());
    userRuntime.set(work.path().string());
    const AudioFormat format = formatOf(22050, 1, 8, 0);
    Tone tone(format, 441);
    PipeWireDevice device;
    const auto opening = Clock::now();
    EXPECT_FALSE(device.open(format, tone));
    EXPECT_LT(Clock::now() - opening, std::chrono::seconds(2));
    EXPECT_EQ(device.lastError().rfind("PipeWire: no server is running", 0), 0U)
        << device.lastError();
    EXPECT_FALSE(device.lost());
    device.close();
}
