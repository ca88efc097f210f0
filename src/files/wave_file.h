#pragma once
// A RIFF "WAVE" recording: "fmt " with the PCM format record, "fact" with the number of sample
// frames, and "data" with the samples in the order played.
//
// Threads: as RiffFile. The Wave engine appends each played buffer on the GUI thread, the
// DirectSound engine from its timer step under the page's file lock.

#include <array>
#include <cstdint>

#include "files/pcm_wave_format.h"
#include "files/riff_file.h"
#include "platform/wave_format.h"

namespace files {

class WaveFile : public RiffFile {
  public:
    static constexpr int kFormatBlockSize = 2000;
    // The record's fixed part as stored in "fmt ".
    static constexpr int kFormatRecordSize = 18;

    // format: the record to store in a new file (null: 8-bit mono at 22050 Hz); its cbSize is
    // taken as 0, the record carries no extra bytes. With a name the file is opened at once.
    // Read-write access lets recording continue into an opened or saved file.
    WaveFile(const char* name, const platform::WaveFormatPcm* format,
             uint32_t accessMode = platform::MMIO_READWRITE);
    ~WaveFile() override;

    // Also writes the number of sample frames into "fact".
    bool bringUpToDate() override;
    // Goes to the frame at or before newPosition, at most to the end of the data.
    bool seek(uint32_t newPosition) override;
    bool writeHeader() override;
    // Refuses a "fmt " chunk that is shorter than a PCM record or longer than the format block.
    bool readHeader() override;

    // The format of the open file (or of the file to be created).
    platform::WaveFormatPcm format() const;

  private:
    uint32_t sampleFrames(uint32_t dataBytes) const;
    uint32_t formatLength() const;

    std::array<uint8_t, kFormatBlockSize> formatBlock{};
};

}  // namespace files
