// Arbitrary bytes opened as a MIDI recording: refused unless in one of the two layouts, and
// then appended to and finished without reading or writing outside the file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "files/midi_file.h"
#include "private_folder.h"

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
