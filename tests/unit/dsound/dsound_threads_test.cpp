// The DirectSound engine in real time: SDL's disk driver plays what the steps write on the
// multimedia timer's thread, and Stop, however it falls against a running step, leaves no step
// touching the released buffer.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>

#include "engine/dsound/dsound_engine.h"
#include "engine/tone/cursor_mapping.h"
#include "files/pcm_wave_format.h"
#include "files/wave_file.h"
#include "platform/backends/sdl_audio_device.h"
#include "platform/dsound/direct_sound_library.h"
#include "platform/mmtimer.h"
#include "platform/waveout/wave_out.h"
#include "support/recording_message_box.h"
#include "support/scoped_environment_variable.h"
#include "support/scoped_playing_settings.h"
#include "support/scoped_settings.h"
#include "support/temporary_folder.h"
#include "support/tone_analysis.h"
#include "support/watched_direct_sound.h"

using namespace std::chrono_literals;

namespace {

constexpr platform::ScreenSize kScreen{1000, 1000};

// A cursor the timer thread may read while the test moves it. Each step reads it once, early:
// the reads count the steps.
class SharedCursor final : public platform::CursorSource {
  public:
    platform::CursorPosition cursorPosition() override {
        steps.fetch_add(1);
        return {x.load(), y.load()};
    }
    std::atomic<int> steps{0};
    platform::ScreenSize primaryScreenSize() override { return kScreen; }
    std::atomic<int32_t> x{500};
    std::atomic<int32_t> y{0};
};

class RequestKeepingHost final : public engine::DirectSoundEngineHost {
  public:
    void showPlaying() override {}
    void showStopped() override {}
    uintptr_t windowHandle() override { return 1; }
    void postStatus(const char*) override {}
    void requestMessage(const char* text, const char*) override {
        const std::lock_guard guard(mutex);
        requested.emplace_back(text);
    }
    std::mutex mutex;
    std::vector<std::string> requested;
};

platform::AudioDeviceFactory sdlDevices() {
    return [] { return std::make_unique<platform::SdlAudioDevice>(); };
}

struct RealTimeRig {
    ScopedToneSettings restoreSettings;
    platform::WaveOut waveOut{sdlDevices()};
    platform::DirectSoundOnAudio real{sdlDevices()};
    testing_support::WatchedDirectSound library{real};
    platform::MultimediaTimer timer;
    SharedCursor cursor;
    testing_support::RecordingMessageBox messages;
    RequestKeepingHost host;
    engine::StreamState state;
    engine::DirectSoundEngine engine{waveOut, library, timer, cursor, messages, host, state};

    RealTimeRig() { engine.setScreen(kScreen); }
};

TEST(DirectSoundSdl, ASteadyCursorPlaysASteadyToneAtTheMappedPitchAndIsRecordedAsWritten) {
    testing_support::TemporaryFolder folder;
    ASSERT_TRUE(folder.create("dsound-disk"));
    const std::string played = (folder.path() / "played.raw").string();
    const std::string recorded = (folder.path() / "recorded.wav").string();
    testing_support::ScopedEnvironmentVariable driver("SDL_AUDIODRIVER");
    testing_support::ScopedEnvironmentVariable diskFile("SDL_DISKAUDIOFILE");
    driver.set("disk");
    diskFile.set(played);

    settings::Pitch = 1;
    settings::Volume = 100;
    RealTimeRig rig;
    const platform::WaveFormatPcm format = files::pcmWaveFormat(false, false, false);
    files::WaveFile file(nullptr, &format);
    ASSERT_TRUE(file.newFile(recorded.c_str()));
    rig.engine.setRecordingFile(&file);

    rig.engine.startPlaying();
    ASSERT_TRUE(rig.engine.isPlaying())
        << (rig.messages.shown.empty() ? std::string() : rig.messages.shown[0].text);
    std::this_thread::sleep_for(2500ms);
    rig.engine.stopPlaying();
    rig.engine.setRecordingFile(nullptr);
    ASSERT_TRUE(file.close());
    EXPECT_TRUE(rig.host.requested.empty());
    EXPECT_EQ(rig.library.usesAfterRelease(), 0);

    // The recording holds exactly what was written to the buffer, in order.
    const wave_test::Bytes written = rig.library.unlockedBytes();
    const wave_test::Bytes wave = wave_test::waveData(wave_test::fileBytes(recorded));
    ASSERT_GT(written.size(), 11025u);
    EXPECT_EQ(wave, written);

    // The device played a steady tone at the cursor's pitch once the slew had arrived
    // (104 steps from 0 to 520 Hz; on a busy machine steps come late, so the second half of
    // what was played is measured), and what it played is what was written.
    const wave_test::Bytes output = wave_test::fileBytes(played);
    ASSERT_GT(output.size(), 33075u);
    const auto half = output.begin() + static_cast<std::ptrdiff_t>(output.size() / 2);
    const wave_test::Bytes steady(half, half + 11025);
    const double hz =
        wave_test::crossingFrequency(wave_test::leftSamples(steady, engine::OutputFormat{}), 22050);
    EXPECT_NEAR(hz, engine::frequencyFromCursor(500, kScreen), 10.0);
    const auto middle = wave.begin() + static_cast<std::ptrdiff_t>(wave.size() / 2);
    EXPECT_NE(std::search(output.begin(), output.end(), middle, middle + 1000), output.end());
}

TEST(DirectSoundThreads, StopWhileStepsRunNeverLeavesAStepOnTheReleasedBuffer) {
    RealTimeRig rig;
    std::mt19937 random(14);
    std::uniform_int_distribution<int> microseconds(0, 2500);
    for (int round = 0; round < 1000; ++round) {
        rig.cursor.x = static_cast<int32_t>(random() % 1000);
        rig.engine.startPlaying();
        ASSERT_TRUE(rig.engine.isPlaying()) << round;
        std::this_thread::sleep_for(std::chrono::microseconds(microseconds(random)));
        rig.engine.stopPlaying();
        const int stepsAtStop = rig.cursor.steps.load();
        std::this_thread::sleep_for(std::chrono::microseconds(microseconds(random) / 10));
        ASSERT_EQ(rig.cursor.steps.load(), stepsAtStop) << "a step ran after Stop, round " << round;
    }
    EXPECT_GT(rig.cursor.steps.load(), 100);
    EXPECT_EQ(rig.library.usesAfterRelease(), 0);
    EXPECT_TRUE(rig.host.requested.empty());
}

// Control > Correct pitch and the Options page change the playing aids on the GUI thread while
// steps read them on the timer's; each play starts the steps' correction and glide afresh.
TEST(DirectSoundThreads, ThePlayingAidsSwitchedWhileStepsRunAreReadSafely) {
    ScopedPlayingSettings restorePlaying;
    RealTimeRig rig;
    std::mt19937 random(24);
    std::uniform_int_distribution<int> microseconds(0, 3000);
    const int32_t glides[] = {settings::glideClassic, 0, 50};
    for (int round = 0; round < 300; ++round) {
        settings::CursorLayout =
            round % 2 == 0 ? settings::PitchLayout::Semitones : settings::PitchLayout::Hertz;
        settings::Glide = glides[round % 3];
        rig.cursor.x = static_cast<int32_t>(random() % 1000);
        rig.engine.startPlaying();
        ASSERT_TRUE(rig.engine.isPlaying()) << round;
        for (int flip = 0; flip < 3; ++flip) {
            std::this_thread::sleep_for(std::chrono::microseconds(microseconds(random)));
            settings::Correction = !settings::Correction;
            rig.cursor.x = static_cast<int32_t>(random() % 1000);
        }
        rig.engine.stopPlaying();
    }
    EXPECT_GT(rig.cursor.steps.load(), 100);
    EXPECT_EQ(rig.library.usesAfterRelease(), 0);
    EXPECT_TRUE(rig.host.requested.empty());
}

}  // namespace
