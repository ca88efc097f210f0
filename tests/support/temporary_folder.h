#pragma once
// A new empty folder for one test, removed with everything in it when the test is done.

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace testing_support {

class TemporaryFolder {
  public:
    TemporaryFolder() = default;
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder() { remove(); }

    // Makes "<temporary folder>/<prefix>-XXXXXX" with a unique ending. False if that failed.
    bool create(const std::string& prefix) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            return false;
        }
        made = pattern;
        return true;
    }

    void remove() {
        if (!made.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
            made.clear();
        }
    }

    const std::filesystem::path& path() const { return made; }

  private:
    std::filesystem::path made;
};

}  // namespace testing_support
