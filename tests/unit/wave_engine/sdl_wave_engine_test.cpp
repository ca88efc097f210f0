// The Wave engine on a real SDL device in real time, headless: the disk driver writes what the
// device plays, the output's notifier thread posts the returned buffers, and this thread plays
// the page, taking them from the queue and handing them to the engine.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "engine/wave/wave_engine.h"
#include "files/pcm_wave_format.h"
#include "files/wave_file.h"
#include "platform/backends/sdl_audio_device.h"
#include "platform/waveout/wave_out.h"
#include "support/first_start_settings.h"
#include "support/recording_message_box.h"
#include "support/recording_wave_engine_host.h"
#include "support/scoped_settings.h"
#include "support/scripted_cursor.h"
#include "support/tone_analysis.h"

using namespace std::chrono_literals;

namespace {

using namespace platform;
using wave_test::Bytes;

class DiskOutput {
  public:
    DiskOutput() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "lirveto-engine-disk-XXXXXX").string();
        const int descriptor = ::mkstemp(pattern.data());
        if (descriptor >= 0) {
            ::close(descriptor);
            path = pattern;
        }
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    }
    ~DiskOutput() {
        ::unsetenv("SDL_DISKAUDIOFILE");
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (!path.empty()) {
            std::filesystem::remove(path);
        }
    }
    std::string path;
};

TEST(WaveEngineSdl, ASecondOfSteadyToneComesOutAtTheMappedPitchAndAsRecorded) {
    ScopedToneSettings savedSettings;
    testing_support::resetToneSettingsToFirstStart();
    settings::Pitch = 1;
    settings::Volume = 100;
    settings::stereo = true;
    settings::highRate = true;
    settings::sixteenBit = true;
    constexpr int32_t kBytesPerSecond = 44100 * 4;

    DiskOutput disk;
    ASSERT_FALSE(disk.path.empty());
    testing_support::ScriptedCursor cursor({421, 0});  // 441 Hz at full Volume
    testing_support::RecordingMessageBox messages;
    testing_support::RecordingWaveEngineHost host;
    const WaveFormatPcm format = files::pcmWaveFormat(true, true, true);
    files::WaveFile recording(nullptr, &format);
    ASSERT_TRUE(recording.newFile(nullptr));

    uint64_t playedBytes = 0;  // of the buffers the device has handed back
    {
        WaveOut waveOut([] { return std::make_unique<SdlAudioDevice>(); });
        WaveEngine engine(waveOut, cursor, messages, host);
        host.engine = &engine;
        engine.setScreen(cursor.screen);
        engine.setRecordingFile(&recording);
        engine.startPlaying();
        ASSERT_TRUE(engine.isPlaying()) << waveOut.lastDeviceError();

        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (playedBytes < kBytesPerSecond * 6 / 5 &&
               std::chrono::steady_clock::now() < deadline) {
            if (!host.waitForMessage(1s)) {
                continue;
            }
            for (const auto& message : host.waiting()) {
                if (message.kind == testing_support::RecordingWaveEngineHost::Kind::bufferDone) {
                    playedBytes += message.header->bufferLength;
                }
            }
            host.dispatchWaiting();
        }
        engine.stopPlaying();
        host.dispatchWaiting();
        EXPECT_FALSE(engine.isPlaying());
    }
    ASSERT_GE(playedBytes, kBytesPerSecond);
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_TRUE(recording.bringUpToDate());
    const Bytes recorded = wave_test::waveData(wave_test::fileBytes(recording.fileName()));
    recording.discard();
    const Bytes played = wave_test::fileBytes(disk.path);

    // The device's output is silence, then the recording from its first byte on: all of every
    // buffer that came back, then part of those still queued at Stop, then silence.
    const auto lead = static_cast<std::ptrdiff_t>(std::min<std::size_t>(4096, recorded.size()));
    const auto start =
        std::search(played.begin(), played.end(), recorded.begin(), recorded.begin() + lead);
    ASSERT_NE(start, played.end())
        << "the recording is not in the " << played.size() << " bytes played";
    EXPECT_EQ((start - played.begin()) % 4, 0);
    EXPECT_TRUE(std::all_of(played.begin(), start, [](uint8_t b) { return b == 0; }));
    const auto available = static_cast<std::size_t>(played.end() - start);
    ASSERT_GE(available, playedBytes);
    ASSERT_GE(recorded.size(), playedBytes);
    EXPECT_TRUE(std::equal(recorded.begin(),
                           recorded.begin() + static_cast<std::ptrdiff_t>(playedBytes), start))
        << "the device did not play the recorded bytes";
    EXPECT_LE(recorded.size() - playedBytes, 2U * 40000);
    const auto rest = start + static_cast<std::ptrdiff_t>(playedBytes);
    const auto diverge =
        std::mismatch(rest, played.end(),
                      recorded.begin() + static_cast<std::ptrdiff_t>(playedBytes), recorded.end())
            .first;
    EXPECT_TRUE(std::all_of(diverge, played.end(), [](uint8_t b) { return b == 0; }))
        << "after Stop the device played something that was not recorded";

    // One second of what came out, measured: the cursor's 441 Hz (440.8 Hz after the phase
    // increment is truncated).
    const Bytes second(start, start + kBytesPerSecond);
    const double hz = wave_test::crossingFrequency(
        wave_test::leftSamples(second, OutputFormat{true, true, true}), 44100);
    EXPECT_NEAR(hz, 441.0, 1.5);
}

}  // namespace
