#pragma once
// A private XDG_CONFIG_HOME for each test, first-start settings values, and file helpers.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "settings/settings_values.h"

namespace settings_test {

inline void resetToFirstStart() {
    settings::Volume = 50;
    settings::Pitch = 10;
    settings::Vibrato = 0;
    settings::Timbre = 0;
    settings::SwoopMode = 0;
    settings::stereo = false;
    settings::highRate = false;
    settings::sixteenBit = false;
    settings::ViewNoteFreq = 1;
    settings::ViewNoteMid = 1;
    settings::ViewNoteName = 1;
    settings::ViewNoteVol = 1;
    settings::PlayOnStart = false;
    settings::MinimizeOnStart = false;
    settings::OnTop = false;
    settings::StopFocus = false;
    settings::MidiVolume = 80;
    settings::MidiPitch = 40;
    settings::MidiPitch2 = 80;
    settings::MidiTremolo = false;
    settings::PitchBend = 2;
    settings::Instrument = 79;
    settings::PatchOffset = 1;
    settings::MidiDriver.set("-1");
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

class SettingsEnvironment : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "lirveto-settings-XXXXXX");
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
            savedConfigHome = old;
            hadConfigHome = true;
        }
        ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        resetToFirstStart();
    }

    void TearDown() override {
        if (hadConfigHome) {
            ::setenv("XDG_CONFIG_HOME", savedConfigHome.c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
        resetToFirstStart();
    }

    std::filesystem::path registryFile() const {
        return root / "config" / "Quillhorn" / "Lirveto.reg";
    }

    void writeRegistry(const std::string& valueLines) {
        std::filesystem::create_directories(registryFile().parent_path());
        writeFile(registryFile(),
                  "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quillhorn\\Lirveto]\n" + valueLines);
    }

    std::filesystem::path root;

  private:
    std::string savedConfigHome;
    bool hadConfigHome = false;
};

}  // namespace settings_test
