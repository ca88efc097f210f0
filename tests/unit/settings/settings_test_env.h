#pragma once
// A private XDG_CONFIG_HOME for each test, first-start settings values, and file helpers.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/first_start_settings.h"
#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"

namespace settings_test {

using testing_support::resetSettingsToFirstStart;

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
        ASSERT_TRUE(ownFolder.create("lirveto-settings"));
        root = ownFolder.path();
        configHome.set((root / "config").string());
        resetSettingsToFirstStart();
    }

    void TearDown() override {
        configHome.restore();
        ownFolder.remove();
        resetSettingsToFirstStart();
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
    testing_support::TemporaryFolder ownFolder;
    testing_support::ScopedEnvironmentVariable configHome{"XDG_CONFIG_HOME"};
};

}  // namespace settings_test
