#include "settings/settings_store.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <string>

#include "platform/registry.h"
#include "settings/settings_values.h"
#include "settings_test_env.h"
#include "support/recording_message_box.h"

namespace {

using settings_test::readFile;
using settings_test::writeFile;
using testing_support::RecordingMessageBox;

class SettingsStoreTest : public settings_test::SettingsEnvironment {
  protected:
    std::string ini() const { return (root / "my settings.ini").string(); }

    static void setEveryValueAwayFromItsDefault() {
        settings::SwoopMode = 1;
        settings::PatchOffset = 0;
        settings::MidiDriver.set("FluidSynth \"GM\" synth");
        settings::Stereo = true;
        settings::HighRate = true;
        settings::SixteenBit = true;
        settings::PlayOnStart = true;
        settings::MinimizeOnStart = true;
        settings::OnTop = true;
        settings::StopFocus = true;
        settings::MidiVolume = 99;
        settings::MidiPitch = 12;
        settings::MidiPitch2 = 127;
        settings::MidiTremolo = true;
        settings::PitchBend = 12;
        settings::Instrument = 128;
        settings::Volume = 100;
        settings::Pitch = 3;
        settings::Vibrato = 3;
        settings::Timbre = 10;
        settings::ViewNoteName = 0;
        settings::ViewNoteMid = 2;
        settings::ViewNoteFreq = 0;
        settings::ViewNoteVol = 0;
    }

    static void expectEveryValueAwayFromItsDefault(bool withDriver) {
        EXPECT_EQ(settings::SwoopMode, 1);
        EXPECT_EQ(settings::PatchOffset, withDriver ? 0 : 1);
        EXPECT_EQ(settings::MidiDriver.get(), withDriver ? "FluidSynth \"GM\" synth" : "-1");
        EXPECT_TRUE(settings::Stereo && settings::HighRate && settings::SixteenBit);
        EXPECT_TRUE(settings::PlayOnStart && settings::MinimizeOnStart && settings::OnTop &&
                    settings::StopFocus && settings::MidiTremolo);
        EXPECT_EQ(settings::MidiVolume, 99);
        EXPECT_EQ(settings::MidiPitch, 12);
        EXPECT_EQ(settings::MidiPitch2, 127);
        EXPECT_EQ(settings::PitchBend, 12);
        EXPECT_EQ(settings::Instrument, 128);
        EXPECT_EQ(settings::Volume, 100);
        EXPECT_EQ(settings::Pitch, 3);
        EXPECT_EQ(settings::Vibrato, 3);
        EXPECT_EQ(settings::Timbre, 10);
        EXPECT_EQ(settings::ViewNoteName, 0);
        EXPECT_EQ(settings::ViewNoteMid, 2);
        EXPECT_EQ(settings::ViewNoteFreq, 0);
        EXPECT_EQ(settings::ViewNoteVol, 0);
    }

    static void expectFirstStartValues() {
        EXPECT_EQ(settings::SwoopMode, 0);
        EXPECT_FALSE(settings::PlayOnStart || settings::MinimizeOnStart || settings::OnTop ||
                     settings::StopFocus);
        EXPECT_EQ(settings::ViewNoteName, 1);
        EXPECT_EQ(settings::ViewNoteMid, 1);
        EXPECT_EQ(settings::ViewNoteFreq, 1);
        EXPECT_EQ(settings::ViewNoteVol, 1);
        EXPECT_EQ(settings::PatchOffset, 1);
        EXPECT_EQ(settings::MidiDriver.get(), "-1");
        EXPECT_EQ(settings::Volume, 50);
        EXPECT_EQ(settings::Pitch, 10);
        EXPECT_EQ(settings::MidiVolume, 80);
        EXPECT_EQ(settings::MidiPitch, 40);
        EXPECT_EQ(settings::MidiPitch2, 80);
        EXPECT_FALSE(settings::Stereo || settings::HighRate || settings::SixteenBit);
    }

    RecordingMessageBox messages;
};

TEST_F(SettingsStoreTest, FirstStartTakesDefaultsAndExitCreatesTheKey) {
    EXPECT_TRUE(settings::loadSettings(nullptr));
    expectFirstStartValues();

    ASSERT_TRUE(settings::saveSettings(nullptr, messages));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(readFile(registryFile()),
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quillhorn\\Lirveto]\n"
              "\"SwoopMode\"=hex:00\n"
              "\"PlaySurface\"=hex:00\n"
              "\"PatchOffset\"=hex:01\n"
              "\"MidiDriver\"=\"-1\"\n"
              "\"Stereo\"=hex:00\n"
              "\"SampleRate\"=\"22kHz\"\n"
              "\"Resolution\"=\"8bit\"\n"
              "\"PlayOnStart\"=hex:00\n"
              "\"MinimizeOnStart\"=hex:00\n"
              "\"OnTop\"=hex:00\n"
              "\"StopFocus\"=hex:00\n"
              "\"MidiVolume\"=hex:50\n"
              "\"MidiPitch\"=hex:28\n"
              "\"MidiPitch2\"=hex:50\n"
              "\"PitchBend\"=hex:02\n"
              "\"Instrument\"=hex:4f\n"
              "\"MidiTremolo\"=hex:00\n"
              "\"Volume\"=hex:32\n"
              "\"Pitch\"=hex:0a\n"
              "\"Vibrato\"=hex:00\n"
              "\"Timbre\"=hex:00\n"
              "\"ViewNoteName\"=\"1\"\n"
              "\"ViewNoteMid\"=\"1\"\n"
              "\"ViewNoteFreq\"=\"1\"\n"
              "\"ViewNoteVol\"=\"1\"\n");
}

TEST_F(SettingsStoreTest, RegistryRestoresEveryValue) {
    setEveryValueAwayFromItsDefault();
    ASSERT_TRUE(settings::saveSettings(nullptr, messages));
    settings_test::resetSettingsToFirstStart();
    ASSERT_TRUE(settings::loadSettings(""));
    expectEveryValueAwayFromItsDefault(true);
}

TEST_F(SettingsStoreTest, SettingsFileHoldsVersionSetupAndMainButNoDriver) {
    setEveryValueAwayFromItsDefault();
    ASSERT_TRUE(settings::saveSettings(ini().c_str(), messages));
    EXPECT_EQ(readFile(ini()),
              "[Version]\nVersion=1.0\n\n"
              "[Setup]\n"
              "SwoopMode=1\nStereo=1\nSampleRate=44kHz\nResolution=16bit\n"
              "PlayOnStart=1\nMinimizeOnStart=1\nOnTop=1\nStopFocus=1\n"
              "MidiVolume=99\nMidiPitch=12\nMidiPitch2=127\nPitchBend=12\nInstrument=128\n"
              "MidiTremolo=1\n"
              "Volume=100\nPitch=3\nVibrato=3\nTimbre=10\n\n"
              "[Main]\nViewNoteName=0\nViewNoteMid=2\nViewNoteFreq=0\nViewNoteVol=0\n");
    EXPECT_FALSE(std::filesystem::exists(registryFile())) << "the registry is not touched";

    settings_test::resetSettingsToFirstStart();
    settings::PatchOffset = 0;
    settings::MidiDriver.set("Some Synth");
    ASSERT_TRUE(settings::loadSettings(ini().c_str()));
    expectEveryValueAwayFromItsDefault(false);

    // The file's values, and the driver's defaults, reach the registry at the next exit.
    ASSERT_TRUE(settings::saveSettings(nullptr, messages));
    settings_test::resetSettingsToFirstStart();
    settings::Volume = 1;
    ASSERT_TRUE(settings::loadSettings(nullptr));
    expectEveryValueAwayFromItsDefault(false);
}

TEST_F(SettingsStoreTest, SavingIntoAnExistingFileKeepsItsOtherLines) {
    writeFile(ini(), "; my tweaks\n[Setup]\nVolume=7\nMyOwnKey=kept\n");
    ASSERT_TRUE(settings::saveSettings(ini().c_str(), messages));
    const std::string text = readFile(ini());
    EXPECT_EQ(text.rfind("; my tweaks\n[Setup]\nVolume=50\nMyOwnKey=kept\nSwoopMode=0\n", 0), 0U)
        << text;
}

TEST_F(SettingsStoreTest, UnreadableSettingsFileChangesNothing) {
    setEveryValueAwayFromItsDefault();
    settings::SettingsFileFault fault = settings::SettingsFileFault::none;
    EXPECT_FALSE(settings::loadSettings((root / "vanished.ini").c_str(), &fault));
    EXPECT_EQ(fault, settings::SettingsFileFault::unreadable);
    std::filesystem::create_directory(root / "folder.ini");
    EXPECT_FALSE(settings::loadSettings((root / "folder.ini").c_str()));
    expectEveryValueAwayFromItsDefault(true);
}

// Read as a settings file, an empty or unrelated file would set every value to its INI default.
TEST_F(SettingsStoreTest, AFileWithoutTheVersionSectionIsRefusedAndChangesNothing) {
    static const char raw[] = "\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR";
    const struct {
        const char* what;
        std::string text;
    } files[] = {
        {"empty", ""},
        {"binary", std::string(raw, sizeof raw - 1)},
        {"text", "Dear diary,\ntoday I played the mouse.\n"},
        {"values but no version", "[Setup]\nVolume=77\n[Main]\nViewNoteMid=2\n"},
        {"version only as a key", "[Setup]\nVersion=1.0\nVolume=77\n"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.what);
        setEveryValueAwayFromItsDefault();
        settings::SoundFont.set("/my.sf2");
        writeFile(ini(), file.text);
        settings::SettingsFileFault fault = settings::SettingsFileFault::none;
        EXPECT_FALSE(settings::loadSettings(ini().c_str(), &fault));
        EXPECT_EQ(fault, settings::SettingsFileFault::notSettingsFile);
        expectEveryValueAwayFromItsDefault(true);
        EXPECT_EQ(settings::SoundFont.get(), "/my.sf2");
    }
    EXPECT_EQ(
        settings::settingsFileFaultText(settings::SettingsFileFault::notSettingsFile, "/a/b.ini"),
        "/a/b.ini is not a settings file: it has no [Version] section");
    settings::SoundFont.set("");
}

TEST_F(SettingsStoreTest, DamagedSettingsFilesLoadWhatTheyCan) {
    static const char raw[] = "\x00\xff\xfe[\x01\x02=\x03\n\x7f\x80[Setup\x00]\n";
    const std::string garbage(raw, sizeof raw - 1);
    const std::string longLine(100000, 'v');
    const struct {
        const char* what;
        std::string text;
    } files[] = {
        {"binary garbage", garbage + "[Version]\n[Setup]\nVolume=77\n" + garbage},
        {"very long lines",
         longLine + "\n[Setup]\nJunk=" + longLine + "\nVolume=77\n[version]\nVersion=1.0\n"},
        {"no sections", "Volume=12\nPitch=3\n[Setup]\nVolume=77\n[VERSION]\n"},
        {"duplicate keys", "[Version]\n[Setup]\nVolume=77\nVolume=12\n[Setup]\nPitch=3\n"},
        {"no final newline", "[Version]\nVersion=1.0\n[Setup]\nVolume=77"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.what);
        settings_test::resetSettingsToFirstStart();
        writeFile(ini(), file.text);
        ASSERT_TRUE(settings::loadSettings(ini().c_str()));
        EXPECT_EQ(settings::Volume, 77);
        EXPECT_EQ(settings::Pitch, 1) << "missing from the file's first Setup section";
        EXPECT_EQ(settings::MidiPitch, 1);
        EXPECT_EQ(settings::ViewNoteMid, 1);
        EXPECT_FALSE(settings::HighRate);
    }
}

TEST_F(SettingsStoreTest, DamagedRegistryFileStartsWithDefaultsAndIsKept) {
    writeRegistry("\"Volume\"=hex:64\n\"Pitch\" is not a value line\n");
    const std::string damaged = readFile(registryFile());
    settings::Volume = 1;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(settings::loadSettings(nullptr));
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(settings::Volume, 1) << "no key: the value keeps what it had";
    EXPECT_EQ(settings::ViewNoteMid, 1);
    EXPECT_NE(platform::takeRegistryNotice().find(".damaged"), std::string::npos);
    EXPECT_EQ(readFile(registryFile().string() + ".damaged"), damaged);

    ASSERT_TRUE(settings::saveSettings(nullptr, messages));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(readFile(registryFile().string() + ".damaged"), damaged);
}

TEST_F(SettingsStoreTest, OneMistypedValueReadsAsItsDefaultAndTheRestIsKept) {
    platform::takeRegistryNotice();
    writeRegistry(
        "\"Volume\"=hex:zz\n"  // data that is no hex
        "\"Timbre\"=\"7\"\n"   // a text where a byte belongs
        "\"Pitch\"=hex:03\n\"Vibrato\"=hex:02\n");
    settings::Volume = 1;
    settings::Timbre = 9;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(settings::loadSettings(nullptr));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Volume"), std::string::npos);
    EXPECT_EQ(settings::Volume, 50);
    EXPECT_EQ(settings::Timbre, 0);
    EXPECT_EQ(settings::Pitch, 3);
    EXPECT_EQ(settings::Vibrato, 2);
    EXPECT_FALSE(std::filesystem::exists(registryFile().string() + ".damaged"));
    const std::string notice = platform::takeRegistryNotice();
    EXPECT_NE(notice.find("Volume"), std::string::npos) << "the status bar learns of it";
    EXPECT_EQ(platform::takeRegistryNotice(), "");
}

TEST_F(SettingsStoreTest, KeyThatCannotBeCreatedIsReportedAndTheSaveGoesOn) {
    std::filesystem::create_directories(registryFile().parent_path().parent_path());
    writeFile(registryFile().parent_path(), "not a folder");
    EXPECT_FALSE(settings::saveSettings(nullptr, messages));
    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_EQ(messages.shown[0].text,
              "Can't save the settings to " + registryFile().string() + ": Not a directory.");
    EXPECT_EQ(messages.shown[0].caption, "Lirveto");
    EXPECT_EQ(messages.shown[0].style, platform::MessageBoxStyle::Ok);
    EXPECT_EQ(readFile(registryFile().parent_path()), "not a folder");
}

TEST_F(SettingsStoreTest, RegistryThatCannotBeWrittenKeepsTheOldFile) {
    settings::Volume = 33;
    ASSERT_TRUE(settings::saveSettings(nullptr, messages));
    const std::string before = readFile(registryFile());

    settings::Volume = 66;
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 64;
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const bool savedOk = settings::saveSettings(nullptr, messages);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(savedOk);
    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_EQ(messages.shown[0].text,
              "Can't save the settings to " + registryFile().string() + ": File too large.");
    EXPECT_EQ(readFile(registryFile()), before);
}

}  // namespace
