// Arbitrary bytes opened as a WAV file: opening, reading, appending and bringing up to date must
// stay within the file and leave nothing behind.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "files/wave_file.h"
#include "private_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const PrivateFolder folder;
    const std::string input = folder.writeInput(data, size, "input.wav");
    {
        files::WaveFile file(nullptr, nullptr);
        if (file.open(input.c_str()) && file.seek(0)) {
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
