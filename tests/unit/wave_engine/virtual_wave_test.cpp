// The Wave engine through the real wave output on a manual clock: buffers come back exactly when
// their last byte has played, so a scripted gesture gives one exact sequence of buffers. The same
// gesture through lirveto-render must give the same recording, byte for byte.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/wave/wave_engine.h"
#include "files/pcm_wave_format.h"
#include "files/wave_file.h"
#include "platform/waveout/virtual_audio_device.h"
#include "platform/waveout/wave_out.h"
#include "support/first_start_settings.h"
#include "support/recording_message_box.h"
#include "support/recording_wave_engine_host.h"
#include "support/run_program.h"
#include "support/scoped_settings.h"
#include "support/tone_analysis.h"

namespace {

namespace fs = std::filesystem;
using namespace platform;
using testing_support::RecordingMessageBox;
using testing_support::RecordingWaveEngineHost;
using wave_test::Bytes;
using wave_test::renderedBuffer;

struct Point {
    int64_t ms;
    platform::CursorPosition at;
};

// Pitch 1 on a 1000-pixel screen: x + 20 Hz; y 500 with Volume 100: amplitude 50.
const std::vector<Point> kGesture{{0, {480, 500}}, {200, {980, 500}}, {450, {230, 500}}};
constexpr int64_t kDurationMs = 1000;

class TimedCursor final : public platform::CursorSource {
  public:
    platform::CursorPosition cursorPosition() override {
        platform::CursorPosition at = kGesture.front().at;
        for (const Point& point : kGesture) {
            if (point.ms <= nowMs) {
                at = point.at;
            }
        }
        return at;
    }
    platform::ScreenSize primaryScreenSize() override { return {1000, 1000}; }
    int64_t nowMs = 0;
};

struct Played {
    uint64_t doneAtFrame;
    Bytes bytes;
};

class VirtualWaveTest : public ::testing::Test {
  protected:
    VirtualWaveTest() {
        testing_support::resetToneSettingsToFirstStart();
        settings::Pitch = 1;
        settings::Volume = 100;
        engine = std::make_unique<engine::WaveEngine>(waveOut, cursor, messages, host);
        engine->setScreen(cursor.primaryScreenSize());
        host.engine = engine.get();
    }

    // Plays the gesture frame by frame: each notification is handled at the moment of the
    // frame that completed its buffer, as long as that moment is before the duration.
    std::vector<Played> play(files::WaveFile* recording) {
        engine->setRecordingFile(recording);
        engine->startPlaying();
        std::vector<Played> played;
        for (;;) {
            device->advanceFrames(1);
            const uint64_t frame = device->clockFrames();
            const auto waiting = host.waiting();
            if (waiting.empty()) {
                continue;
            }
            if (frame * 1000 >= static_cast<uint64_t>(kDurationMs) * 22050) {
                break;
            }
            for (const auto& message : waiting) {
                const WaveHeader* header = message.header;
                played.push_back({frame, Bytes(header->data, header->data + header->bufferLength)});
            }
            cursor.nowMs = static_cast<int64_t>(frame * 1000 / 22050);
            host.dispatchWaiting();
        }
        pulled = device->pulledBytes();  // the device goes with the Stop
        engine->stopPlaying();
        host.dispatchWaiting();
        return played;
    }

    ScopedToneSettings savedSettings;
    VirtualAudioDevice* device = nullptr;
    Bytes pulled;
    WaveOut waveOut{WaveOut::postDuringPull, [this] {
                        auto made = std::make_unique<VirtualAudioDevice>();
                        made->keepPulled(true);
                        device = made.get();
                        return made;
                    }};
    TimedCursor cursor;
    RecordingMessageBox messages;
    RecordingWaveEngineHost host;
    std::unique_ptr<engine::WaveEngine> engine;
};

TEST_F(VirtualWaveTest, AScriptedSweepGivesTheExpectedBuffersAtTheExpectedMoments) {
    const WaveFormatPcm format = files::pcmWaveFormat(false, false, false);
    files::WaveFile recording(nullptr, &format);
    ASSERT_TRUE(recording.newFile(nullptr));
    const std::vector<Played> played = play(&recording);
    ASSERT_TRUE(recording.bringUpToDate());
    const Bytes recorded = wave_test::waveData(wave_test::fileBytes(recording.fileName()));
    recording.discard();

    const Bytes steady500 = renderedBuffer(500, 500, 50, 50);
    const Bytes steady1000 = renderedBuffer(1000, 1000, 50, 50);
    const Bytes steady250 = renderedBuffer(250, 250, 50, 50);
    // Play queues a steady tone twice; the first return still finds the cursor at rest; then a
    // glide up, the steady tone after it, a glide down, and the new tone repeated.
    const std::vector<Bytes> expected{steady500,  steady500,
                                      steady500,  renderedBuffer(1000, 500, 50, 50),
                                      steady1000, renderedBuffer(250, 1000, 50, 50),
                                      steady250,  steady250,
                                      steady250};
    Bytes queued;
    for (const Bytes& buffer : expected) {
        queued.insert(queued.end(), buffer.begin(), buffer.end());
    }
    EXPECT_EQ(recorded.size(), queued.size());
    EXPECT_TRUE(recorded == queued) << "the recording differs from the expected buffers";

    // Seven buffers came back before the duration, each when its last byte had played, and
    // what the device played is exactly what was queued, in order.
    ASSERT_EQ(played.size(), 7U);
    uint64_t end = 0;
    for (std::size_t i = 0; i < played.size(); ++i) {
        EXPECT_EQ(played[i].bytes, expected[i]) << "buffer " << i;
        end += expected[i].size();
        EXPECT_EQ(played[i].doneAtFrame, end) << "buffer " << i;
    }
    ASSERT_GE(pulled.size(), end);
    EXPECT_TRUE(std::equal(pulled.begin(), pulled.begin() + static_cast<std::ptrdiff_t>(end),
                           queued.begin()));

    // The steady buffers sound at the mapped pitch.
    const engine::OutputFormat mono8{};
    EXPECT_NEAR(wave_test::crossingFrequency(wave_test::leftSamples(steady500, mono8), 22050), 500,
                3);
    EXPECT_NEAR(wave_test::crossingFrequency(wave_test::leftSamples(steady1000, mono8), 22050),
                1000, 5);
    EXPECT_NEAR(wave_test::crossingFrequency(wave_test::leftSamples(steady250, mono8), 22050), 250,
                2);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(VirtualWaveTest, LirvetoRenderWritesWhatARecordingOfTheSameGestureHolds) {
    const fs::path folder =
        fs::temp_directory_path() / ("lirveto-virtual-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string gesturePath = (folder / "gesture.txt").string();
    const std::string iniPath = (folder / "settings.ini").string();
    const std::string outPath = (folder / "rendered.wav").string();
    {
        std::ofstream gesture(gesturePath);
        for (const Point& point : kGesture) {
            gesture << point.ms << ' ' << point.at.x << ' ' << point.at.y << '\n';
        }
        std::ofstream(iniPath) << "[Version]\n[Setup]\nPitch=1\nVolume=100\n";
    }
    const auto run = testing_support::runProgram(
        LIRVETO_RENDER_PATH,
        {"--engine", "wave", "--gesture", gesturePath, "--out", outPath, "--settings", iniPath,
         "--screen", "1000x1000", "--duration", std::to_string(kDurationMs)});
    ASSERT_EQ(run.status, 0) << run.err;

    const WaveFormatPcm format = files::pcmWaveFormat(false, false, false);
    files::WaveFile recording(nullptr, &format);
    ASSERT_TRUE(recording.newFile(nullptr));
    play(&recording);
    const std::string ours = (folder / "recorded.wav").string();
    ASSERT_TRUE(recording.saveAs(ours.c_str()));
    ASSERT_TRUE(recording.close());

    const Bytes rendered = wave_test::fileBytes(outPath);
    EXPECT_GT(rendered.size(), 58U);
    EXPECT_TRUE(rendered == wave_test::fileBytes(ours)) << "the files differ";
    fs::remove_all(folder);
}

}  // namespace
