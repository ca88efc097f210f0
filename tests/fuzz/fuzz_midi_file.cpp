// Arbitrary bytes opened as a MIDI recording: refused unless in one of the two layouts, and
// then appended to and finished without reading or writing outside the file.

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "files/midi_file.h"

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
    const std::string input = folder.writeInput(data, size, "input.mid");
    {
        int owner = 0;
        files::MidiFile file(&owner);
        if (file.open(input.c_str())) {
            if (file.position() != file.length()) {
                std::abort();
            }
            const uint8_t noteOn[4] = {0x00, 0x90, 0x3C, 0x40};
            file.write(noteOn, sizeof noteOn);
            if (!file.close()) {
                std::abort();
            }
            // What was finished must open again.
            files::MidiFile again(&owner);
            if (!again.open(input.c_str())) {
                std::abort();
            }
            again.discard();
        }
    }
    folder.expectEmptyAfter(input);
    return 0;
}
