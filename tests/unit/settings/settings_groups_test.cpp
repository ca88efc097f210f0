// Where the stores differ for the same key, as users meet it.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "settings/settings_store.h"
#include "settings/settings_values.h"
#include "settings/wave_page_settings.h"
#include "settings_test_env.h"
#include "support/recording_message_box.h"

namespace {

using settings_test::readFile;
using settings_test::writeFile;

class SettingsGroupsTest : public settings_test::SettingsEnvironment {
  protected:
    std::string ini() const { return (root / "s.ini").string(); }

    void loadIni(const std::string& setupLines, const std::string& more = "") {
        writeFile(ini(), "[Version]\nVersion=1.0\n[Setup]\n" + setupLines + more);
        ASSERT_TRUE(settings::loadSettings(ini().c_str()));
    }

    void loadRegistry(const std::string& valueLines) {
        writeRegistry(valueLines);
        ASSERT_TRUE(settings::loadSettings(nullptr));
    }

    std::string iniValue(const std::string& key) {
        const std::string text = readFile(ini());
        const auto at = text.find("\n" + key + "=");
        return at == std::string::npos ? "<none>"
                                       : text.substr(at + key.size() + 2,
                                                     text.find('\n', at + 1) - at - key.size() - 2);
    }

    testing_support::RecordingMessageBox messages;
};

TEST_F(SettingsGroupsTest, MissingValuesTakeEachStoresOwnDefaults) {
    loadRegistry("\"Volume\"=hex:10\n");
    EXPECT_EQ(settings::Pitch, 10);
    EXPECT_EQ(settings::MidiVolume, 80);
    EXPECT_EQ(settings::MidiPitch, 40);
    EXPECT_EQ(settings::MidiPitch2, 80);
    EXPECT_EQ(settings::PatchOffset, 1) << "a registry without PatchOffset";

    loadIni("Volume=10\n");
    EXPECT_EQ(settings::Pitch, 1);
    EXPECT_EQ(settings::MidiVolume, 50);
    EXPECT_EQ(settings::MidiPitch, 1);
    EXPECT_EQ(settings::MidiPitch2, 1);
    EXPECT_EQ(settings::PitchBend, 2);
    EXPECT_EQ(settings::Instrument, 79);
}

TEST_F(SettingsGroupsTest, OutOfRangeIniValuesTakeTheirStatedValue) {
    loadIni(
        "Volume=101\nPitch=0\nVibrato=4\nTimbre=11\n"
        "MidiVolume=-1\nMidiPitch=128\nMidiPitch2=500\nPitchBend=128\nInstrument=129\n");
    EXPECT_EQ(settings::Volume, 50);
    EXPECT_EQ(settings::Pitch, 1);
    EXPECT_EQ(settings::Vibrato, 0);
    EXPECT_EQ(settings::Timbre, 0);
    EXPECT_EQ(settings::MidiVolume, 80);
    EXPECT_EQ(settings::MidiPitch, 40);
    EXPECT_EQ(settings::MidiPitch2, 80);
    EXPECT_EQ(settings::PitchBend, 2);
    EXPECT_EQ(settings::Instrument, 79);

    loadIni("Volume=0\nPitch=10\nVibrato=3\nTimbre=10\nMidiPitch=0\nInstrument=128\n");
    EXPECT_EQ(settings::Volume, 0);
    EXPECT_EQ(settings::Pitch, 10);
    EXPECT_EQ(settings::Vibrato, 3);
    EXPECT_EQ(settings::Timbre, 10);
    EXPECT_EQ(settings::MidiPitch, 0);
    EXPECT_EQ(settings::Instrument, 128);
}

TEST_F(SettingsGroupsTest, RegistryBytesAreNotRangeChecked) {
    loadRegistry("\"MidiPitch\"=hex:c8\n\"Pitch\"=hex:0b\n\"Volume\"=hex:32,00\n");
    EXPECT_EQ(settings::MidiPitch, 200);
    EXPECT_EQ(settings::Pitch, 11);
    EXPECT_EQ(settings::Volume, 50) << "a value longer than one byte reads as missing";
}

// With no registry key and no file name there is nowhere to keep values, which is no failure.
TEST_F(SettingsGroupsTest, WithNeitherStoreValuesStayAndSavingSucceeds) {
    settings::Volume = 33;
    settings::readWavePageSettings(settings::StoreSelector{});
    EXPECT_EQ(settings::Volume, 33);
    EXPECT_TRUE(settings::writeWavePageSettings(settings::StoreSelector{}));
}

TEST_F(SettingsGroupsTest, VibratoThreeSurvivesASettingsFile) {
    settings::Vibrato = 3;
    ASSERT_TRUE(settings::saveSettings(ini().c_str(), messages));
    EXPECT_EQ(iniValue("Vibrato"), "3");
    settings::Vibrato = 1;
    ASSERT_TRUE(settings::loadSettings(ini().c_str()));
    EXPECT_EQ(settings::Vibrato, 3);
}

TEST_F(SettingsGroupsTest, SampleRateTextIsCaseBlindOnlyInTheRegistry) {
    loadRegistry("\"SampleRate\"=\"44KHZ\"\n\"Resolution\"=\"16BIT\"\n");
    EXPECT_TRUE(settings::HighRate);
    EXPECT_TRUE(settings::SixteenBit);

    loadIni("SampleRate=44KHZ\nResolution=16BIT\n");
    EXPECT_FALSE(settings::HighRate);
    EXPECT_FALSE(settings::SixteenBit);

    loadIni("SampleRate=44kHz\nResolution=16bit\n");
    EXPECT_TRUE(settings::HighRate);
    EXPECT_TRUE(settings::SixteenBit);

    loadRegistry("\"SampleRate\"=hex:34,34,6b,48,7a\n");  // "44kHz" without its zero
    EXPECT_TRUE(settings::HighRate);
}

TEST_F(SettingsGroupsTest, IniFlagsAreTrueWhenNonZeroAndWrittenAsOne) {
    loadIni("PlayOnStart=5\nMidiTremolo=-3\nStereo=2\nSwoopMode=1\n");
    EXPECT_TRUE(settings::PlayOnStart);
    EXPECT_TRUE(settings::MidiTremolo);
    EXPECT_TRUE(settings::Stereo);
    EXPECT_EQ(settings::SwoopMode, 1) << "read from the file although no page shows it";
    ASSERT_TRUE(settings::saveSettings(ini().c_str(), messages));
    EXPECT_EQ(iniValue("PlayOnStart"), "1");
    EXPECT_EQ(iniValue("MidiTremolo"), "1");
    EXPECT_EQ(iniValue("Stereo"), "1");
    EXPECT_EQ(iniValue("SwoopMode"), "1");
}

TEST_F(SettingsGroupsTest, SwoopModeComesFromTheRegistryAsAByte) {
    loadRegistry("\"SwoopMode\"=hex:07\n");
    EXPECT_EQ(settings::SwoopMode, 1);
    loadRegistry("\"SwoopMode\"=\"1\"\n");
    EXPECT_EQ(settings::SwoopMode, 0) << "two bytes (text and zero) do not fit the byte";
}

// The surface belongs to the screen it is played on: a settings file neither sets nor keeps it.
TEST_F(SettingsGroupsTest, PlaySurfaceLivesInTheRegistryOnly) {
    loadRegistry("\"PlaySurface\"=hex:01\n");
    EXPECT_TRUE(settings::PlaySurface);

    loadIni("PlaySurface=0\n");
    EXPECT_TRUE(settings::PlaySurface) << "a settings file does not hide the surface";
    const std::string fresh = (root / "fresh.ini").string();
    ASSERT_TRUE(settings::saveSettings(fresh.c_str(), messages));
    EXPECT_EQ(readFile(fresh).find("PlaySurface"), std::string::npos);

    settings::PlaySurface = false;
    ASSERT_TRUE(settings::saveSettings(nullptr, messages));
    EXPECT_NE(readFile(registryFile()).find("\"PlaySurface\"=hex:00\n"), std::string::npos);
    settings::PlaySurface = true;
    ASSERT_TRUE(settings::loadSettings(nullptr));
    EXPECT_FALSE(settings::PlaySurface) << "read back from the byte just written";

    loadRegistry("\"Volume\"=hex:10\n");
    EXPECT_FALSE(settings::PlaySurface) << "absent: the surface stays hidden";
}

TEST_F(SettingsGroupsTest, ViewFlagsAreDecimalTextInEitherStore) {
    loadRegistry("\"ViewNoteMid\"=\"2\"\n\"ViewNoteName\"=\"0\"\n\"ViewNoteFreq\"=\"7\"\n");
    EXPECT_EQ(settings::ViewNoteMid, 2);
    EXPECT_EQ(settings::ViewNoteName, 0);
    EXPECT_EQ(settings::ViewNoteFreq, 1);
    EXPECT_EQ(settings::ViewNoteVol, 1);

    loadRegistry(
        "\"ViewNoteMid\"=\"two\"\n\"ViewNoteName\"=hex:00\n\"ViewNoteVol\"=\"99999999999\"\n");
    EXPECT_EQ(settings::ViewNoteMid, 1) << "not a number";
    EXPECT_EQ(settings::ViewNoteName, 1) << "a zero byte is an empty text";
    EXPECT_EQ(settings::ViewNoteVol, 1) << "too large for 32 bits";

    writeFile(ini(), "[Version]\n[Main]\nViewNoteMid= 2 \nViewNoteName=\nViewNoteFreq=0\n");
    ASSERT_TRUE(settings::loadSettings(ini().c_str()));
    EXPECT_EQ(settings::ViewNoteMid, 2);
    EXPECT_EQ(settings::ViewNoteName, 1) << "an empty value reads as nothing";
    EXPECT_EQ(settings::ViewNoteFreq, 0);
}

TEST_F(SettingsGroupsTest, LongestDriverNameReadsBack) {
    const std::string name(settings::midiDriverMaxLength, 'n');
    settings::MidiDriver.set(name);
    ASSERT_TRUE(settings::saveSettings(nullptr, messages));
    settings::MidiDriver.set("-1");
    ASSERT_TRUE(settings::loadSettings(nullptr));
    EXPECT_EQ(settings::MidiDriver.get(), name);

    loadRegistry("\"MidiDriver\"=\"" + std::string(200, 'x') + "\"\n\"PatchOffset\"=hex:05\n");
    EXPECT_EQ(settings::MidiDriver.get(), "-1") << "too long for the buffer";
    EXPECT_EQ(settings::PatchOffset, 1);
}

// A name longer than the store keeps is cut where a character ends, so what reads back is the
// whole characters that fit and nothing broken.
TEST_F(SettingsGroupsTest, ALongNonAsciiDriverNameIsCutOnACharacterBoundary) {
    for (const auto& [character, kept] : std::vector<std::pair<std::string, size_t>>{
             {"\xC3\xA9", 158},          // é, 2 bytes: 79 of them
             {"\xE9\x9F\xB3", 159},      // 音, 3 bytes: 53
             {"\xF0\x9F\x8E\xB5", 156},  // 🎵, 4 bytes: 39
             {"a\xE9\x9F\xB3", 157},     // "a音", 4 bytes: 39 and the a
         }) {
        std::string name;
        while (name.size() <= settings::midiDriverMaxLength) {
            name += character;
        }
        settings::MidiDriver.set(name);
        ASSERT_TRUE(settings::saveSettings(nullptr, messages));
        ASSERT_TRUE(settings::loadSettings(nullptr));
        EXPECT_EQ(settings::MidiDriver.get(), name.substr(0, kept)) << character;
    }
}

TEST_F(SettingsGroupsTest, SoundFontLivesInTheRegistryOnlyAndIsWrittenOnceNamed) {
    ASSERT_TRUE(settings::saveSettings(nullptr, messages));
    EXPECT_EQ(settings::SoundFont.get(), "");
    EXPECT_EQ(settings_test::readFile(registryFile()).find("SoundFont"), std::string::npos)
        << "nothing named, nothing written";

    settings::SoundFont.set("/home/u/Sound Fonts/piano \"warm\".sf2");
    ASSERT_TRUE(settings::saveSettings(nullptr, messages));
    settings::SoundFont.set("");
    ASSERT_TRUE(settings::loadSettings(nullptr));
    EXPECT_EQ(settings::SoundFont.get(), "/home/u/Sound Fonts/piano \"warm\".sf2");

    ASSERT_TRUE(settings::saveSettings(ini().c_str(), messages));
    EXPECT_EQ(settings_test::readFile(ini()).find("SoundFont"), std::string::npos)
        << "not in settings files";
    settings::SoundFont.set("");
}

// A settings file resets the driver choice but holds no SoundFont, so it keeps ours; a cleared
// field stays cleared, so the old SoundFont does not come back at the next start.
TEST_F(SettingsGroupsTest, TheSoundFontSurvivesSettingsFilesAndCanBeCleared) {
    settings::SoundFont.set("/home/u/big.sf2");
    settings::MidiDriver.set("Lirveto");
    settings::PatchOffset = 0;
    loadIni("Volume=10\n");
    EXPECT_EQ(settings::SoundFont.get(), "/home/u/big.sf2");
    EXPECT_EQ(settings::MidiDriver.get(), "-1");
    EXPECT_EQ(settings::PatchOffset, 1);

    ASSERT_TRUE(settings::saveSettings(nullptr, messages));
    settings::SoundFont.set("");
    ASSERT_TRUE(settings::saveSettings(nullptr, messages));
    settings::SoundFont.set("/elsewhere.sf2");
    ASSERT_TRUE(settings::loadSettings(nullptr));
    EXPECT_EQ(settings::SoundFont.get(), "") << readFile(registryFile());
}

// Only a latency the sheet could have stored is taken; anything else plays as Auto.
TEST_F(SettingsGroupsTest, TheOutputLatencyIsTakenOnlyWhenTheSheetCouldHaveStoredIt) {
    for (const auto& [stored, read] : std::vector<std::pair<std::string, int>>{{"hex:32", 50},
                                                                               {"hex:05", 5},
                                                                               {"hex:64", 100},
                                                                               {"hex:00", 0},
                                                                               {"hex:04", 0},
                                                                               {"hex:65", 0},
                                                                               {"hex:ff", 0},
                                                                               {"\"20\"", 0}}) {
        settings::OutputLatency = 30;
        loadRegistry("\"OutputLatency\"=" + stored + "\n");
        EXPECT_EQ(settings::OutputLatency, read) << "registry " << stored;
    }
    for (const auto& [stored, read] : std::vector<std::pair<std::string, int>>{
             {"75", 75}, {"5", 5}, {"-5", 0}, {"4", 0}, {"101", 0}, {"abc", 0}, {"", 0}}) {
        settings::OutputLatency = 30;
        loadIni("OutputLatency=" + stored + "\n");
        EXPECT_EQ(settings::OutputLatency, read) << "settings file " << stored;
    }
}

// The latency travels in settings files; the device, which belongs to this machine, does not.
// Neither is written until chosen, and a return to the default is written once stored.
TEST_F(SettingsGroupsTest, TheOutputLatencyTravelsInFilesAndTheDeviceStaysInTheRegistry) {
    ASSERT_TRUE(settings::saveSettings(nullptr, messages));
    ASSERT_TRUE(settings::saveSettings(ini().c_str(), messages));
    EXPECT_EQ(readFile(registryFile()).find("Output"), std::string::npos);
    EXPECT_EQ(readFile(ini()).find("Output"), std::string::npos);

    settings::OutputDevice.set("alsa_output.usb-Focusrite-00.analog-stereo");
    settings::OutputLatency = 25;
    ASSERT_TRUE(settings::saveSettings(nullptr, messages));
    ASSERT_TRUE(settings::saveSettings(ini().c_str(), messages));
    EXPECT_EQ(iniValue("OutputLatency"), "25");
    EXPECT_EQ(readFile(ini()).find("OutputDevice"), std::string::npos);
    settings::OutputLatency = 0;
    ASSERT_TRUE(settings::saveSettings(ini().c_str(), messages));
    EXPECT_EQ(iniValue("OutputLatency"), "0") << "Auto again, once stored";

    settings::OutputDevice.set("");
    ASSERT_TRUE(settings::loadSettings(nullptr));
    EXPECT_EQ(settings::OutputDevice.get(), "alsa_output.usb-Focusrite-00.analog-stereo");
    EXPECT_EQ(settings::OutputLatency, 25);

    loadIni("OutputLatency=10\n");
    EXPECT_EQ(settings::OutputLatency, 10);
    EXPECT_EQ(settings::OutputDevice.get(), "alsa_output.usb-Focusrite-00.analog-stereo")
        << "a settings file keeps the device";
    loadIni("Volume=10\n");
    EXPECT_EQ(settings::OutputLatency, 0) << "a file without it plays as Auto";

    settings::OutputDevice.set("");
    ASSERT_TRUE(settings::saveSettings(nullptr, messages));
    settings::OutputDevice.set("elsewhere");
    settings::OutputLatency = 40;
    ASSERT_TRUE(settings::loadSettings(nullptr));
    EXPECT_EQ(settings::OutputDevice.get(), "");
    EXPECT_EQ(settings::OutputLatency, 0);

    loadRegistry("\"OutputDevice\"=\"" + std::string(300, 'x') + "\"\n");
    EXPECT_EQ(settings::OutputDevice.get(), "") << "too long for any name the sheet stores";
}

}  // namespace
