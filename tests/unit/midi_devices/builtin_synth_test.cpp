// The built-in synth and the device list on this machine's real libraries: FluidSynth with the
// system's SoundFont, SDL's disk driver capturing what the callback renders, and the ALSA
// sequencer (absent on machines without /dev/snd/seq).

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/midi/midi_engine.h"
#include "pitch_analysis.h"
#include "platform/backends/fluid_synth_port.h"
#include "platform/backends/sdl_audio_device.h"
#include "platform/backends/system_midi_devices.h"
#include "platform/mmtimer_manual.h"
#include "support/scoped_environment_variable.h"
#include "support/scripted_cursor.h"
#include "support/temporary_folder.h"

namespace {

namespace mm = platform::mm;
using namespace std::chrono_literals;

platform::AudioDeviceFactory sdlDevices() {
    return [] { return std::make_unique<platform::SdlAudioDevice>(); };
}

bool sequencerPresent() {
    return std::filesystem::exists("/dev/snd/seq");
}

TEST(BuiltinSynth, ANoteWithoutBendSoundsAtItsPitchThroughOurCallback) {
    testing_support::TemporaryFolder folder;
    ASSERT_TRUE(folder.create("lirveto-synth"));
    const std::string capture = (folder.path() / "out.raw").string();
    testing_support::ScopedEnvironmentVariable driver("SDL_AUDIODRIVER");
    testing_support::ScopedEnvironmentVariable file("SDL_DISKAUDIOFILE");
    driver.set("disk");
    file.set(capture);

    platform::FluidSynthPort synth("", sdlDevices());
    ASSERT_TRUE(synth.soundFontLoaded()) << synth.loadError();
    ASSERT_EQ(synth.open(), mm::MMSYSERR_NOERROR) << synth.deviceError();
    EXPECT_EQ(synth.shortMessage(0x4FC0), mm::MMSYSERR_NOERROR);    // ocarina: a plain tone
    EXPECT_EQ(synth.shortMessage(0x7F4590), mm::MMSYSERR_NOERROR);  // note 69
    std::this_thread::sleep_for(900ms);
    synth.close();

    const auto samples = midi_test::readStereoS16(capture);
    size_t onset = 0;
    while (onset < samples.size() && std::abs(samples[onset]) < 200) {
        ++onset;
    }
    ASSERT_LT(onset + 44100 / 2, samples.size()) << "half a second of sound after the note on";
    EXPECT_NEAR(midi_test::pitchAt(samples, onset + 4410, 8820, 44100), 440.0, 4.4);
}

TEST(BuiltinSynth, ANoteHeldAtVolumeZeroSoundsAgainWhenTheVolumeReturns) {
    testing_support::TemporaryFolder folder;
    ASSERT_TRUE(folder.create("lirveto-synth"));
    const std::string capture = (folder.path() / "out.raw").string();
    testing_support::ScopedEnvironmentVariable driver("SDL_AUDIODRIVER");
    testing_support::ScopedEnvironmentVariable file("SDL_DISKAUDIOFILE");
    driver.set("disk");
    file.set(capture);

    platform::FluidSynthPort synth("", sdlDevices());
    ASSERT_EQ(synth.open(), mm::MMSYSERR_NOERROR) << synth.loadError() << synth.deviceError();
    synth.shortMessage(0x4FC0);
    synth.setVolume(0);  // the cursor at the bottom of the screen
    synth.shortMessage(0x7F4590);
    std::this_thread::sleep_for(300ms);
    synth.setVolume(0xFE00FE00);  // and back up
    std::this_thread::sleep_for(400ms);
    synth.close();

    const auto samples = midi_test::readStereoS16(capture);
    size_t onset = 0;
    while (onset < samples.size() && std::abs(samples[onset]) < 200) {
        ++onset;
    }
    ASSERT_LT(onset + 4410, samples.size()) << "the held note is heard again";
    EXPECT_NEAR(midi_test::pitchAt(samples, onset + 441, 4410, 44100), 440.0, 4.4);
}

TEST(BuiltinSynth, AMissingSoundFontOrAudioDeviceMeansNoSynthAndNoCrash) {
    platform::FluidSynthPort missing("/nonexistent/none.sf2", sdlDevices());
    EXPECT_FALSE(missing.soundFontLoaded());
    EXPECT_NE(missing.loadError().find("/nonexistent/none.sf2"), std::string::npos);
    EXPECT_EQ(missing.open(), mm::MMSYSERR_NODRIVER);
    EXPECT_EQ(missing.shortMessage(0x7F4590), mm::MMSYSERR_NODRIVER);

    testing_support::ScopedEnvironmentVariable driver("SDL_AUDIODRIVER");
    driver.set("no-such-driver");
    platform::FluidSynthPort silent("", sdlDevices());
    ASSERT_TRUE(silent.soundFontLoaded());
    EXPECT_EQ(silent.open(), mm::MMSYSERR_NODRIVER);
    EXPECT_FALSE(silent.deviceError().empty());
}

// SDL's disk driver drops the device once its file refuses a write (/dev/full refuses all).
TEST(BuiltinSynth, ASoundDeviceThatGoesAwayIsReportedAsLostUntilReopened) {
    testing_support::ScopedEnvironmentVariable driver("SDL_AUDIODRIVER");
    testing_support::ScopedEnvironmentVariable file("SDL_DISKAUDIOFILE");
    driver.set("disk");
    file.set("/dev/full");
    platform::FluidSynthPort synth("", sdlDevices());
    ASSERT_TRUE(synth.soundFontLoaded()) << synth.loadError();
    EXPECT_FALSE(synth.lost()) << "nothing is lost while closed";
    ASSERT_EQ(synth.open(), mm::MMSYSERR_NOERROR) << synth.deviceError();
    for (int waited = 0; waited < 3000 && !synth.lost(); waited += 20) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(synth.lost());
    synth.close();
    EXPECT_FALSE(synth.lost());

    testing_support::TemporaryFolder folder;
    ASSERT_TRUE(folder.create("lirveto-synth"));
    file.set((folder.path() / "out.raw").string());
    ASSERT_EQ(synth.open(), mm::MMSYSERR_NOERROR) << synth.deviceError();
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(synth.lost());
    synth.close();
}

class NoMessages final : public engine::MidiEngineHost {
  public:
    void showStatus(const char*) override {}
    void showMessage(const char* text, const char* caption) override {
        shown.push_back(std::string(caption) + ": " + text);
    }
    void requestMessage(const char* text, const char* caption) override {
        shown.push_back(std::string(caption) + ": " + text);
    }
    std::vector<std::string> shown;
};

TEST(SystemMidiDevices, TheListOnThisMachineAndTheMessageWhenNothingOpens) {
    platform::SystemMidiDevices withSynth("", sdlDevices());
    platform::MidiOut out(withSynth);
    const uint32_t count = out.getNumDevs();
    platform::MidiOutCaps caps;
    ASSERT_EQ(out.getDevCaps(0, &caps), mm::MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.productName, platform::FluidSynthPort::kProductName);
    EXPECT_EQ(caps.support & mm::MIDICAPS_VOLUME, mm::MIDICAPS_VOLUME);
    ASSERT_EQ(out.getDevCaps(mm::MIDI_MAPPER, &caps), mm::MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.productName, "MIDI Mapper");
    EXPECT_EQ(withSynth.hasSequencer(), sequencerPresent());
    if (sequencerPresent()) {
        ASSERT_GE(count, 2U);
        ASSERT_EQ(out.getDevCaps(1, &caps), mm::MMSYSERR_NOERROR);
        EXPECT_STREQ(caps.productName, "Lirveto");
    } else {
        EXPECT_EQ(count, 1U) << "only the built-in synth";
    }

    platform::SystemMidiDevices noSynth("/nonexistent/none.sf2", sdlDevices());
    EXPECT_FALSE(noSynth.synthProblem().empty());
    platform::MidiOut fewer(noSynth);
    EXPECT_EQ(fewer.getNumDevs(), count - 1);
    if (!sequencerPresent()) {
        testing_support::ScriptedCursor cursor;
        platform::ManualTimer timer;
        NoMessages host;
        engine::MidiEngine midi(fewer, timer, cursor, host);
        midi.start();
        EXPECT_FALSE(midi.isPlaying());
        EXPECT_EQ(host.shown,
                  std::vector<std::string>{"Lirveto: The sound output could not be opened."});
        midi.stop();
        EXPECT_FALSE(timer.hasEvents());
    }
}

// SoundFonts that fail only when loaded: one cut off after its first 64 KiB, and one whose
// header is right but whose chunks are nonsense. Neither brings the synth, both say why, and the
// sequencer ports (where there is a sequencer) are listed and play.
TEST(SystemMidiDevices, ASoundFontThatFailsToLoadLeavesTheSequencerPortsPlaying) {
    const std::filesystem::path full = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    if (!std::filesystem::exists(full)) {
        GTEST_SKIP() << "no General MIDI SoundFont (timgm6mb-soundfont) is installed";
    }
    testing_support::TemporaryFolder folder;
    ASSERT_TRUE(folder.create("lirveto-soundfont"));
    const auto cut = folder.path() / "cut.sf2";
    const auto nonsense = folder.path() / "nonsense.sf2";
    {
        std::ifstream in(full, std::ios::binary);
        std::string head(65536, '\0');
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        std::ofstream(cut, std::ios::binary).write(head.data(), in.gcount());
        std::string bogus("RIFF\x00\x10\x00\x00sfbkLIST\xF4\x0F\x00\x00INFO", 24);
        bogus.append(4096, '\x5A');
        std::ofstream(nonsense, std::ios::binary) << bogus;
    }
    for (const auto& soundFont : {cut, nonsense}) {
        SCOPED_TRACE(soundFont.string());
        platform::SystemMidiDevices devices(soundFont.string(), sdlDevices());
        EXPECT_NE(devices.synthProblem().find(soundFont.string()), std::string::npos);
        platform::MidiOut out(devices);
        platform::MidiOutCaps caps;
        for (uint32_t id = 0; id < out.getNumDevs(); ++id) {
            ASSERT_EQ(out.getDevCaps(id, &caps), mm::MMSYSERR_NOERROR);
            EXPECT_STRNE(caps.productName, platform::FluidSynthPort::kProductName);
        }
        platform::HMIDIOUT handle = nullptr;
        if (sequencerPresent()) {
            ASSERT_EQ(out.open(&handle, mm::MIDI_MAPPER), mm::MMSYSERR_NOERROR);
            EXPECT_EQ(out.shortMsg(handle, 0x7F4590), mm::MMSYSERR_NOERROR);
            EXPECT_FALSE(out.deviceLost(handle));
            EXPECT_EQ(out.close(handle), mm::MMSYSERR_NOERROR);
        } else {
            EXPECT_EQ(out.getNumDevs(), 0U);
            EXPECT_NE(out.open(&handle, mm::MIDI_MAPPER), mm::MMSYSERR_NOERROR);
        }
    }
}

}  // namespace
