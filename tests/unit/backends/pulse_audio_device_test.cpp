// The PulseAudio output through a private server, judged from what its sink's monitor recorded.
#include "platform/backends/pulse_audio_device.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <numbers>
#include <thread>

#include "platform/audio_underruns.h"
#include "support/private_sound_server.h"

namespace {

using namespace std::chrono_literals;
using platform::PulseAudioDevice;
using testing_support::SoundServerKind;

bool waitUntil(const auto& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    return done();
}

// Recorded by parec, whose short latency also keeps the idle null sink from sleeping for seconds.
class PulseServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        REQUIRE_SOUND_SERVER(server);
        ASSERT_TRUE(folder.create("lirveto-heard"));
        const std::string line = "exec parec --raw --format=s16le --rate=48000 --channels=1 -d " +
                                 server.monitor() + " --latency-msec=10 >" + heard();
        const char* argv[] = {"sh", "-c", line.c_str(), nullptr};
        posix_spawn(&recorder, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ);
        ASSERT_TRUE(waitUntil([&] { return !testing_support::readAll(heard()).empty(); }, 9s));
    }
    void TearDown() override { stopRecording(); }
    void stopRecording() {
        if (recorder > 0 && ::kill(recorder, SIGTERM) == 0) {
            ::waitpid(recorder, nullptr, 0);
        }
        recorder = 0;
    }
    std::string heard() const { return (folder.path() / "heard.raw").string(); }
    std::vector<int16_t> heardFromFirstToLastSound() {
        stopRecording();
        const std::string bytes = testing_support::readAll(heard());
        std::vector<int16_t> all(bytes.size() / 2);
        std::memcpy(all.data(), bytes.data(), all.size() * 2);
        const auto first = std::find_if(all.begin(), all.end(), [](int s) { return s != 0; });
        const auto last = std::find_if(all.rbegin(), all.rend(), [](int s) { return s != 0; });
        return first < last.base() ? std::vector<int16_t>(first, last.base()) : all;
    }
    pid_t serverPid() const { return server.pids().front(); }

    testing_support::PrivateSoundServer server{SoundServerKind::pulseAudio,
                                               LIRVETO_SOUND_SERVER_SCRIPT};
    testing_support::TemporaryFolder folder;
    pid_t recorder = 0;
};

// A 440 Hz sine in 16 bits that can stall once, as a source kept from running would.
class ToneSource final : public platform::AudioSource {
  public:
    explicit ToneSource(int32_t bufferMs) : format{48000, 2, 16, 256, bufferMs} {}
    void fill(std::span<uint8_t> out) noexcept override {
        if (filled >= stallAt) {
            stallAt = UINT64_MAX;
            std::this_thread::sleep_for(150ms);
        }
        for (std::size_t at = 0; at < out.size(); ++filled) {
            const auto sample = static_cast<int16_t>(
                std::lround(12000 * std::sin(2 * std::numbers::pi * 440 * filled / 48000)));
            for (int channel = 0; channel < format.channels; ++channel, at += 2) {
                std::memcpy(&out[at], &sample, 2);  // little-endian, as this machine
            }
        }
    }
    const platform::AudioFormat format;
    uint64_t filled = 0;  // the audio thread's once started
    uint64_t stallAt = UINT64_MAX;
};

TEST_F(PulseServerTest, PlaysAToneWholeAndAtItsPitch) {
    // The largest buffer: a busy test machine must not cause a gap that is not the route's.
    ToneSource tone(100);
    PulseAudioDevice device;
    ASSERT_TRUE(device.open(tone.format, tone)) << device.lastError();
    device.start();
    std::this_thread::sleep_for(3s);
    device.close();
    EXPECT_EQ(device.serverUnderruns(), 0u);

    const std::vector<int16_t> samples = heardFromFirstToLastSound();
    EXPECT_EQ(std::search_n(samples.begin(), samples.end(), 48, 0), samples.end())
        << "a gap of digital silence of 1 ms or more";
    int crossings = 0;
    for (std::size_t at = 1; at < samples.size(); ++at) {
        crossings += samples[at - 1] < 0 && samples[at] >= 0 ? 1 : 0;
    }
    EXPECT_NEAR(crossings * 48000.0 / static_cast<double>(samples.size()), 440, 1.0);
}

// A sink chosen once may be unplugged by the next Play; a damaged name is none the server has.
TEST_F(PulseServerTest, AChosenSinkPlaysAndOneThatIsGoneGivesWayToTheDefault) {
    for (const char* sink : {"out", "usb_dac_unplugged", "not a sink name"}) {
        ToneSource tone(40);
        PulseAudioDevice device(sink);
        ASSERT_TRUE(device.open(tone.format, tone)) << sink << ": " << device.lastError();
        EXPECT_FALSE(device.lost()) << sink;
        device.start();
        EXPECT_TRUE(waitUntil([&] { return device.framesPlayed() > 24000; }, 2s)) << sink;
        device.close();
    }
    const std::vector<int16_t> samples = heardFromFirstToLastSound();
    EXPECT_GT(std::count_if(samples.begin(), samples.end(), [](int s) { return s > 6000; }),
              3 * 4800)
        << "three half-second tones heard on out";
}

TEST_F(PulseServerTest, ADropoutIsCountedAndRaisesOnlyAnAutomaticBufferAndStopHoldsTheSource) {
    for (const int32_t asked : {0, 20}) {
        ToneSource tone(asked);
        tone.stallAt = 12000;
        PulseAudioDevice device;
        ASSERT_TRUE(device.open(tone.format, tone)) << device.lastError();
        const int32_t first = asked == 0 ? PulseAudioDevice::kAutoStartMs : asked;
        EXPECT_EQ(device.serverBufferMs(), first) << "asked " << asked;
        const uint64_t before = platform::underrunCount();
        device.start();
        EXPECT_TRUE(waitUntil([&] { return device.serverUnderruns() > 0; }, 3s));
        EXPECT_EQ(waitUntil([&] { return device.serverBufferMs() > first; }, 500ms), asked == 0);
        device.stop();
        const uint64_t stopped = device.framesPlayed();
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(device.framesPlayed(), stopped) << "filled while stopped";
        device.close();
        EXPECT_EQ(platform::underrunCount() - before, device.serverUnderruns());
    }
}

TEST_F(PulseServerTest, AServerThatHangsOrDiesIsToldInTime) {
    ToneSource tone(100);
    PulseAudioDevice playing;
    ASSERT_TRUE(playing.open(tone.format, tone)) << playing.lastError();
    playing.start();
    PulseAudioDevice device;
    const auto openFails = [&](const std::string& why, std::chrono::milliseconds within) {
        const auto opening = std::chrono::steady_clock::now();
        EXPECT_FALSE(device.open(tone.format, tone));
        EXPECT_LT(std::chrono::steady_clock::now() - opening, within);
        EXPECT_EQ(device.lastError(), why);
    };
    ::kill(serverPid(), SIGSTOP);  // its socket still takes connections, but nothing answers
    openFails("PulseAudio: Timeout", 2500ms);
    ::kill(serverPid(), SIGCONT);
    EXPECT_FALSE(playing.lost());
    ::kill(serverPid(), SIGKILL);
    EXPECT_TRUE(waitUntil([&] { return playing.lost(); }, 1s));
    const auto closing = std::chrono::steady_clock::now();
    playing.close();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, 1s);
    openFails("PulseAudio: Connection refused", 500ms);
}

}  // namespace
