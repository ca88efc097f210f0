// The PipeWire output through a private server, judged from what its sink's monitor recorded.
#include "platform/backends/pipewire_audio_device.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <thread>

#include "platform/audio_underruns.h"
#include "support/private_sound_server.h"
#include "support/scoped_environment_variable.h"

namespace {

using namespace std::chrono_literals;
using platform::AudioFormat;
using platform::PipeWireDevice;
using testing_support::runProgram;

bool waitUntil(const auto& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    return done();
}

// A sine never resting on zero for a millisecond; stallMs blocks the next fill, as a slow one
// would.
class Tone final : public platform::AudioSource {
  public:
    explicit Tone(const AudioFormat& opened) : format(opened) {}

    void fill(std::span<uint8_t> out) noexcept override {
        std::this_thread::sleep_for(std::chrono::milliseconds(stallMs.exchange(0)));
        const std::size_t bytes = format.bits / 8;
        for (std::size_t at = 0; at < out.size(); at += bytes, ++samples) {
            const double frame = static_cast<double>(samples / format.channels);
            const double value = 0.5 * std::sin(2 * std::numbers::pi * 441 * frame / format.rate);
            const long level =
                bytes == 1 ? std::lround(128 + 127 * value) : std::lround(32767 * value);
            std::memcpy(&out[at], &level, bytes);  // the low bytes first, as this host keeps them
        }
    }

    const AudioFormat format;
    uint64_t samples = 0;  // audio thread only
    std::atomic<int> stallMs{0};
};

// Records the monitor, from the time the recorder has written something, with a latency so long
// that the recorder never sets the graph's cycle itself. Its pid ends it.
std::string startRecording(const testing_support::PrivateSoundServer& server,
                           const std::string& to) {
    const char* script =
        "parec --raw --format=s16le --rate=48000 --channels=1 --latency-msec=200 -d \"$1\" "
        ">\"$2\" 2>/dev/null & echo $!; for _ in $(seq 100); do [ -s \"$2\" ] && break; "
        "sleep 0.05; done";
    const std::string pid = runProgram("/bin/sh", {"-c", script, "sh", server.monitor(), to}).out;
    return pid.substr(0, pid.find('\n'));
}

QJsonObject heardAfterStopping(const std::string& recorder, const std::string& recording) {
    runProgram("/bin/sh", {"-c", "kill $1; while kill -0 $1 2>/dev/null; do sleep 0.02; done", "sh",
                           recorder});
    const auto run = runProgram("/usr/bin/python3", {LIRVETO_HEARD_SCRIPT, recording});
    EXPECT_EQ(run.status, 0) << run.err;
    return QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
}

class PipeWireOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(work.create("lirveto-pipewire"));
        server = std::make_unique<testing_support::PrivateSoundServer>(
            testing_support::SoundServerKind::pipeWire, LIRVETO_SOUND_SERVER_SCRIPT);
        REQUIRE_SOUND_SERVER(*server);
    }
    std::string recording() const { return (work.path() / "monitor.raw").string(); }

    testing_support::TemporaryFolder work;
    std::unique_ptr<testing_support::PrivateSoundServer> server;
};

// With the longest buffer, so that only the provoked dropout is heard on a busy machine.
TEST_F(PipeWireOutput, PlaysAToneWhoseOneStallIsHeardAndCountedAndAFixedBufferStays) {
    const AudioFormat format{.rate = 22050, .channels = 1, .bits = 16, .serverBufferMs = 100};
    Tone tone(format);
    PipeWireDevice device;
    const std::string recorder = startRecording(*server, recording());
    ASSERT_TRUE(device.open(format, tone)) << device.lastError();
    const uint64_t countedBefore = platform::underrunCount();
    device.start();
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(device.serverUnderruns(), 0U);
    const int32_t bufferMs = device.serverBufferMs();
    tone.stallMs.store(150);
    std::this_thread::sleep_for(1500ms);
    device.stop();
    EXPECT_EQ(device.serverUnderruns(), 1U);
    EXPECT_EQ(platform::underrunCount() - countedBefore, 1U);
    EXPECT_EQ(device.serverBufferMs(), bufferMs);
    EXPECT_NEAR(static_cast<double>(device.framesPlayed()) / format.rate, 4.35, 0.2);
    std::this_thread::sleep_for(300ms);
    device.close();

    const QJsonObject found = heardAfterStopping(recorder, recording());
    const QJsonObject gaps = found["gaps"].toObject();
    ASSERT_EQ(gaps["count"].toInt(-1), 1) << QJsonDocument(gaps).toJson().toStdString();
    EXPECT_NEAR(gaps["starts"][0].toDouble() - found["first_sound"].toDouble(), 3.0, 0.1);
    EXPECT_NEAR(gaps["lengths_ms"][0].toDouble(), 150, 30);
    EXPECT_NEAR(found["median_hz"].toDouble(), 441.0, 1.0);
    EXPECT_NEAR(found["last_sound"].toDouble() - found["first_sound"].toDouble(), 4.5, 0.2);
}

TEST_F(PipeWireOutput, AutoRaisesTheLatencyAtADropoutAndALostServerIsSeenWithinASecond) {
    const AudioFormat format{.rate = 44100, .channels = 2, .bits = 8, .serverBufferMs = 0};
    Tone tone(format);
    PipeWireDevice device;
    ASSERT_TRUE(device.open(format, tone)) << device.lastError();
    device.start();
    std::this_thread::sleep_for(1s);
    const int32_t autoStartMs = device.serverBufferMs();
    tone.stallMs.store(100);
    // A raise waits a second after the one before, which the busy machine may have made.
    EXPECT_TRUE(waitUntil([&] { return device.serverBufferMs() > autoStartMs; }, 2000ms));
    EXPECT_GE(device.serverUnderruns(), 1U);
    EXPECT_FALSE(device.lost());

    server.reset();
    EXPECT_TRUE(waitUntil([&] { return device.lost(); }, 1000ms));
    const auto closing = std::chrono::steady_clock::now();
    device.close();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, 1000ms);
}

// The session manager links a stream whose target is missing to the default sink.
TEST_F(PipeWireOutput, AChosenSinkPlaysAndOneThatIsGoneGivesWayToTheDefault) {
    const AudioFormat format{.rate = 48000, .channels = 2, .bits = 16, .serverBufferMs = 40};
    for (const char* target : {"out", "usb_dac_unplugged"}) {
        Tone tone(format);
        PipeWireDevice device(target);
        ASSERT_TRUE(device.open(format, tone)) << target << ": " << device.lastError();
        device.start();
        EXPECT_TRUE(waitUntil([&] { return device.framesPlayed() > 24000; }, 3s)) << target;
        device.close();
    }
}

TEST(PipeWireOutputWithoutAServer, FailsToOpenAtOnceSayingSo) {
    testing_support::ScopedEnvironmentVariable runtime("PIPEWIRE_RUNTIME_DIR");
    runtime.set("/nonexistent/lirveto");
    const AudioFormat format{};
    Tone tone(format);
    PipeWireDevice device;
    const auto opening = std::chrono::steady_clock::now();
    EXPECT_FALSE(device.open(format, tone));
    EXPECT_LT(std::chrono::steady_clock::now() - opening, 2s);
    EXPECT_EQ(device.lastError().rfind("PipeWire: no server is running", 0), 0U)
        << device.lastError();
}

}  // namespace
