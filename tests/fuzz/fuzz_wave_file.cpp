// Arbitrary bytes opened as a WAV file: opening, reading, appending and bringing up to date must
// stay within the file and leave nothing behind.

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "files/wave_file.h"

namespace {

// A private folder for the fuzzing process: the input is written there, and TMPDIR points there
// so that anything the code under test creates lands there too. Removed at exit.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const PrivateFolder folder;
    const std::string input = folder.writeInput(data, size, "input.wav");
    {
        files::WaveFile file(nullptr, nullptr);
        if (file.open(input.c_str())) {
            uint8_t buffer[64];
            const int32_t got = file.read(buffer, sizeof buffer);
            if (got < 0 || got > static_cast<int32_t>(sizeof buffer) ||
                file.position() > file.length()) {
                std::abort();
            }
            file.seek(file.length());
            file.write(buffer, got > 0 ? got : 0);
            file.close();
            files::WaveFile again(nullptr, nullptr);
            if (!again.open(input.c_str())) {
                std::abort();
            }
            again.discard();
        }
    }
    folder.expectEmptyAfter(input);
    return 0;
}
