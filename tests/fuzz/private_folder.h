#pragma once
// A private folder for a fuzzing process: each input is written there, and TMPDIR points there
// so that anything the code under test creates lands there too. Removed at exit.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

class PrivateFolder {
  public:
    PrivateFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "lirveto-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        folder = pattern;
        ::setenv("TMPDIR", folder.c_str(), 1);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    ~PrivateFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::string writeInput(const uint8_t* data, size_t size, const char* name) const {
        const std::string path = (folder / name).string();
        FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr || (size > 0 && std::fwrite(data, 1, size, out) != size)) {
            std::abort();
        }
        std::fclose(out);
        return path;
    }

    // Everything the run made is gone, or the run left something behind.
    void expectEmptyAfter(const std::string& input) const {
        std::filesystem::remove(input);
        if (!std::filesystem::is_empty(folder)) {
            std::fprintf(stderr, "a temporary file was left behind\n");
            std::abort();
        }
    }

  private:
    std::filesystem::path folder;
};
