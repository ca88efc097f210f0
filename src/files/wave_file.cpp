#include "files/wave_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace files {

using namespace platform;

namespace {

constexpr int kPcmRecordMinimum = 16;
constexpr const char* kDamagedFormat = "The file is damaged: its sound format can't be read";

void put16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void put32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint16_t get16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

uint32_t get32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

void encode(const WaveFormatPcm& format, uint8_t* block) {
    put16(block, format.formatTag);
    put16(block + 2, format.channels);
    put32(block + 4, format.samplesPerSec);
    put32(block + 8, format.avgBytesPerSec);
    put16(block + 12, format.blockAlign);
    put16(block + 14, format.bitsPerSample);
    put16(block + 16, 0);
}

}  // namespace

WaveFile::WaveFile(const char* name, const WaveFormatPcm* format, uint32_t accessMode)
    : RiffFile("WAVE", "data", accessMode) {
    encode(format != nullptr ? *format : WaveFormatPcm{}, formatBlock.data());
    if (name != nullptr) {
        open(name);
    }
}

WaveFile::~WaveFile() {
    // Closed here, not by the base, so that the sample count is written too.
    close();
}

WaveFormatPcm WaveFile::format() const {
    const uint8_t* block = formatBlock.data();
    WaveFormatPcm format;
    format.formatTag = get16(block);
    format.channels = get16(block + 2);
    format.samplesPerSec = get32(block + 4);
    format.avgBytesPerSec = get32(block + 8);
    format.blockAlign = get16(block + 12);
    format.bitsPerSample = get16(block + 14);
    format.cbSize = get16(block + 16);
    return format;
}

uint32_t WaveFile::formatLength() const {
    return std::min<uint32_t>(kFormatRecordSize + format().cbSize, kFormatBlockSize);
}

uint32_t WaveFile::sampleFrames(uint32_t dataBytes) const {
    const WaveFormatPcm f = format();
    uint64_t frames = dataBytes;
    if (f.avgBytesPerSec != 0) {
        frames = uint64_t{dataBytes} * f.samplesPerSec / f.avgBytesPerSec;
    } else if (f.bitsPerSample != 0) {
        frames = uint64_t{dataBytes} * 8 / f.bitsPerSample;
    }
    return static_cast<uint32_t>(std::min<uint64_t>(frames, std::numeric_limits<uint32_t>::max()));
}

// Each step notes the system's reason when it fails.
bool WaveFile::writeHeader() {
    const auto length = static_cast<int32_t>(formatLength());
    if (!createChunk("fmt ", false) || write(formatBlock.data(), length) != length ||
        !ascend(false) || !createChunk("fact", false)) {
        return false;
    }
    const uint8_t zero[4] = {0, 0, 0, 0};
    return write(zero, 4) == 4 && ascend(false);
}

bool WaveFile::readHeader() {
    if (!descend("fmt ", false, false)) {
        return false;
    }
    const uint32_t size = length();
    if (size < kPcmRecordMinimum || size > kFormatBlockSize) {
        report(kDamagedFormat);
        return false;
    }
    std::array<uint8_t, kFormatBlockSize> block{};
    if (read(block.data(), static_cast<int32_t>(size)) != static_cast<int32_t>(size)) {
        return false;
    }
    if (get16(block.data() + 12) == 0) {
        report(kDamagedFormat);
        return false;
    }
    formatBlock = block;
    return ascend(false);
}

bool WaveFile::seek(uint32_t newPosition) {
    const uint16_t blockAlign = format().blockAlign;
    if (blockAlign == 0) {
        return false;
    }
    newPosition -= newPosition % blockAlign;
    newPosition = std::min(newPosition, length());
    return RiffFile::seek(newPosition);
}

bool WaveFile::bringUpToDate() {
    if (!isOpen()) {
        return false;
    }
    forgetReason();
    bool ok = true;
    if (isModified()) {
        const uint32_t frames = sampleFrames(length());
        ok = ascend(false);
        ok = ascend(true) && ok;
        descend(nullptr, true, true);
        // Files from elsewhere often have no "fact" chunk; they do not need one.
        if (descend("fact", false, false) && length() >= 4) {
            uint8_t count[4];
            put32(count, frames);
            if (mmioWrite(fileHandle(), count, 4) != 4) {
                ok = systemFailure(reason::kHeadersNotWritten);
            }
            ascend(false);
        }
        ok = descend(nullptr, false, true) && ok;
    }
    return RiffFile::bringUpToDate() && ok;
}

}  // namespace files
