// The engine on the real timer thread: Stop and the page's file commands while ticks run.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "engine/midi/midi_engine.h"
#include "files/midi_file.h"
#include "platform/midiout.h"
#include "platform/midiout_virtual.h"
#include "platform/mmtimer.h"
#include "support/scoped_playing_settings.h"
#include "support/temporary_folder.h"

namespace {

using namespace std::chrono_literals;

// A cursor that never holds still, readable from the timer thread.
class SweepingCursor final : public platform::CursorSource {
  public:
    platform::CursorPosition cursorPosition() override {
        const int32_t step = reads.fetch_add(1);
        return {(step * 37) % 1000, (step * 11) % 1000};
    }
    platform::ScreenSize primaryScreenSize() override { return {1000, 1000}; }
    std::atomic<int32_t> reads{0};
};

class CountingHost final : public engine::MidiEngineHost {
  public:
    void showStatus(const char*) override { statuses.fetch_add(1); }
    void showMessage(const char*, const char*) override { messages.fetch_add(1); }
    void requestMessage(const char*, const char*) override { messages.fetch_add(1); }
    std::atomic<int32_t> statuses{0};
    std::atomic<int32_t> messages{0};
};

TEST(MidiEngineThreads, StopAndFileCloseWhileTicksRunNeverTouchAReleasedDeviceOrClosedFile) {
    testing_support::TemporaryFolder folder;
    ASSERT_TRUE(folder.create("lirveto-midi-threads"));
    const std::string path = (folder.path() / "take.mid").string();

    auto port = std::make_shared<platform::VirtualMidiPort>();
    platform::FixedMidiOutDevices devices({port});
    platform::MidiOut midiOut(devices);
    platform::MultimediaTimer timer;
    SweepingCursor cursor;
    CountingHost host;
    files::MidiFile file(nullptr);
    engine::MidiEngine midi(midiOut, timer, cursor, host);
    midi.setScreen({1000, 1000});
    midi.setRecordingFile(&file);

    for (int round = 0; round < 1000; ++round) {
        if (!file.isOpen()) {
            std::filesystem::remove(path);
            ASSERT_TRUE(file.newFile(path.c_str()));
        }
        midi.start();
        ASSERT_TRUE(midi.isPlaying());
        std::this_thread::sleep_for(std::chrono::microseconds(500 * (round % 13)));
        if (round % 2 == 0) {
            // File Close while playing, as the page does it.
            auto lock = midi.lockRecording();
            ASSERT_TRUE(file.close());
        }
        midi.stop();
        const size_t sent = port->messages().size();
        if (round % 50 == 0) {
            std::this_thread::sleep_for(12ms);
            ASSERT_EQ(port->messages().size(), sent) << "a tick after Stop in round " << round;
        }
    }
    EXPECT_GT(cursor.reads.load(), 100) << "ticks ran";
    EXPECT_EQ(host.messages.load(), 0);
    midi.setRecordingFile(nullptr);
}

// Control > Correct pitch and the Options page change the playing aids on the GUI thread while
// ticks read them on the timer's; each start clears the tick's correction.
TEST(MidiEngineThreads, ThePlayingAidsSwitchedWhileTicksRunAreReadSafely) {
    ScopedPlayingSettings restorePlaying;
    auto port = std::make_shared<platform::VirtualMidiPort>();
    platform::FixedMidiOutDevices devices({port});
    platform::MidiOut midiOut(devices);
    platform::MultimediaTimer timer;
    SweepingCursor cursor;
    CountingHost host;
    engine::MidiEngine midi(midiOut, timer, cursor, host);
    midi.setScreen({1000, 1000});
    for (int round = 0; round < 100; ++round) {
        settings::CursorLayout =
            round % 2 == 0 ? settings::PitchLayout::Semitones : settings::PitchLayout::Hertz;
        midi.start();
        ASSERT_TRUE(midi.isPlaying());
        for (int flip = 0; flip < 4; ++flip) {
            std::this_thread::sleep_for(std::chrono::microseconds(1500 * (1 + (round + flip) % 5)));
            settings::Correction = !settings::Correction;
        }
        midi.stop();
    }
    EXPECT_GT(cursor.reads.load(), 100) << "ticks ran";
    EXPECT_GT(host.statuses.load(), 100);
    EXPECT_EQ(host.messages.load(), 0);
}

}  // namespace
