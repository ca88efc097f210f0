#pragma once
// A private $XDG_DATA_HOME for one test, so launchers land in its applications folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"

namespace testprefs {

class LauncherFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(data.create("lirveto-launcher"));
        dataHome.set(data.path().string());
    }

    std::filesystem::path applications() const { return data.path() / "applications"; }
    std::filesystem::path launcher() const { return applications() / "Lirveto.desktop"; }

    static std::string contents(const std::filesystem::path& file) {
        std::ifstream in(file);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static void write(const std::filesystem::path& file, const std::string& text) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }

    testing_support::TemporaryFolder data;
    testing_support::ScopedEnvironmentVariable dataHome{"XDG_DATA_HOME"};
};

}  // namespace testprefs
