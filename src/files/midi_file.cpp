#include "files/midi_file.h"

#include <cstdio>
#include <cstring>

namespace files {

using namespace platform;

namespace {

// Offsets in both layouts.
constexpr int64_t kHeaderLengthField = 4;
constexpr int64_t kTrack0LetterField = 17;
constexpr int64_t kTrack0LengthField = 18;
constexpr int64_t kEventLengthField = 52;
constexpr int32_t kEventData = 56;

constexpr uint8_t kHeaderData[6] = {0x00, 0x01, 0x00, 0x02, 0x00, 0x18};
constexpr uint32_t kTrack0Length = 26;
constexpr uint8_t kTrack0[kTrack0Length] = {
    0x00, 0xFF, 0x7F, 0x03, 0x00, 0x00, 0x41,        // sequencer-specific: 00 00 41
    0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08,  // 4/4, 24 clocks a click, 8 32nds a quarter
    0x00, 0xFF, 0x51, 0x03, 0x00, 0x5D, 0xC0,        // 24000 us a quarter: 1 ms a tick
    0x00, 0xFF, 0x2F, 0x00,                          // end of track
};
constexpr uint8_t kEndOfTrack[4] = {0x00, 0xFF, 0x2F, 0x00};

constexpr const char* kNotOurs = "The file is not a MIDI recording made by Lirveto";

void putBigEndian(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
    }
}

void putLittleEndian(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint32_t getBigEndian(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 |
           static_cast<uint32_t>(at[2]) << 8 | static_cast<uint32_t>(at[3]);
}

uint32_t getLittleEndian(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

enum class Layout { Neither, Working, Final };

// Both layouts hold the same header and track 0; they differ in byte order and one letter.
Layout layoutOf(const uint8_t* head, uint32_t& eventLength) {
    if (std::memcmp(head, "MThd", 4) != 0 || std::memcmp(head + 8, kHeaderData, 6) != 0 ||
        std::memcmp(head + 22, kTrack0, kTrack0Length) != 0 ||
        std::memcmp(head + 48, "MTrk", 4) != 0) {
        return Layout::Neither;
    }
    if (getLittleEndian(head + 4) == 6 && std::memcmp(head + 14, "MTrr", 4) == 0 &&
        getLittleEndian(head + 18) == kTrack0Length) {
        eventLength = getLittleEndian(head + kEventLengthField);
        return Layout::Working;
    }
    if (getBigEndian(head + 4) == 6 && std::memcmp(head + 14, "MTrk", 4) == 0 &&
        getBigEndian(head + 18) == kTrack0Length) {
        eventLength = getBigEndian(head + kEventLengthField);
        return Layout::Final;
    }
    return Layout::Neither;
}

}  // namespace

MidiFile::MidiFile(void* owner) : RiffFile(nullptr, "MTrk", MMIO_READWRITE), ownerToken(owner) {}

MidiFile::~MidiFile() {
    // A named file left open is finished here, so that other programs can read it.
    if (isOpen()) {
        close();
    }
}

bool MidiFile::open(const char* name) {
    endOfTrackOnDisk = false;
    if (!RiffFile::open(name) || !seek(length())) {
        return false;
    }
    if (!writeStandardLayout()) {
        // A file of ours made just now goes again; an existing one stays as readHeader left it.
        if (isTemporary()) {
            discard();
        } else {
            releaseHandle();
        }
        return false;
    }
    return true;
}

bool MidiFile::bringUpToDate() {
    if (!isOpen()) {
        return false;
    }
    forgetReason();
    const bool ok = writeStandardLayout() && seek(length());
    setModified(!ok);
    return ok;
}

int32_t MidiFile::write(const void* bytes, int32_t count) {
    if (endOfTrackOnDisk && count > 0 && isOpen()) {
        // The next event goes over the saved end of track: a track that declared it would end
        // in half an event.
        uint8_t field[4];
        putBigEndian(field, length());
        putBytes(kEventLengthField, field, 4);
        endOfTrackOnDisk = false;
    }
    return RiffFile::write(bytes, count);
}

bool MidiFile::writeStandardLayout() {
    const uint32_t eventLength = length();
    // With an odd number of event bytes the track is odd too and takes a pad byte.
    const uint8_t tail[5] = {kEndOfTrack[0], kEndOfTrack[1], kEndOfTrack[2], kEndOfTrack[3], 0};
    const int32_t tailLength = (eventLength & 1U) != 0 ? 5 : 4;
    if (!putBytes(static_cast<int64_t>(dataStart()) + eventLength, tail, tailLength)) {
        return systemFailure(reason::kHeadersNotWritten);
    }
    endOfTrackOnDisk = true;
    return writeStandardFields(kEventLengthField, eventLength + sizeof kEndOfTrack) ||
           systemFailure(reason::kHeadersNotWritten);
}

bool MidiFile::writeStandardFields(int64_t trackLengthField, uint32_t trackLength) {
    uint8_t field[4];
    putBigEndian(field, trackLength);
    bool ok = putBytes(trackLengthField, field, 4);
    ok = putBytes(kTrack0LetterField, "k", 1) && ok;
    putBigEndian(field, kTrack0Length);
    ok = putBytes(kTrack0LengthField, field, 4) && ok;
    putBigEndian(field, 6);
    ok = putBytes(kHeaderLengthField, field, 4) && ok;
    return mmioFlush(fileHandle(), 0) == MMSYSERR_NOERROR && ok;
}

bool MidiFile::putBytes(int64_t offset, const void* bytes, int32_t count) {
    return mmioSeek(fileHandle(), offset, SEEK_SET) == offset &&
           mmioWrite(fileHandle(), bytes, count) == count;
}

bool MidiFile::writeHeader() {
    HMMIO handle = fileHandle();
    headerInfo = MMCKINFO{};
    headerInfo.ckid = mmioStringToFOURCCA("MThd", 0);
    if (mmioCreateChunk(handle, &headerInfo, 0) != MMSYSERR_NOERROR ||
        mmioWrite(handle, kHeaderData, sizeof kHeaderData) != sizeof kHeaderData) {
        return systemFailure(reason::kHeadersNotWritten);
    }
    headerInfo.dwFlags |= MMIO_DIRTY;
    if (mmioAscend(handle, &headerInfo, 0) != MMSYSERR_NOERROR) {
        return systemFailure(reason::kHeadersNotWritten);
    }
    headerInfo = MMCKINFO{};
    headerInfo.ckid = mmioStringToFOURCCA("MTrr", 0);
    if (mmioCreateChunk(handle, &headerInfo, 0) != MMSYSERR_NOERROR ||
        mmioWrite(handle, kTrack0, kTrack0Length) != kTrack0Length) {
        return systemFailure(reason::kHeadersNotWritten);
    }
    headerInfo.dwFlags |= MMIO_DIRTY;
    if (mmioAscend(handle, &headerInfo, 0) != MMSYSERR_NOERROR) {
        return systemFailure(reason::kHeadersNotWritten);
    }
    setModified(true);
    return true;
}

bool MidiFile::readHeader() {
    HMMIO handle = fileHandle();
    uint8_t head[kEventData];
    const int64_t size = mmioSeek(handle, 0, SEEK_END);
    // A file shorter than the headers reads short without an error of the system's.
    if (mmioSeek(handle, 0, SEEK_SET) != 0 || mmioRead(handle, head, kEventData) != kEventData) {
        return systemFailure(kNotOurs);
    }
    uint32_t eventLength = 0;
    const Layout layout = layoutOf(head, eventLength);
    if (layout == Layout::Neither) {
        report(kNotOurs);
        return false;
    }
    const int64_t trackEnd = kEventData + static_cast<int64_t>(eventLength);
    if (trackEnd > size) {
        report(reason::kShorterThanItsHeaders);
        return false;
    }

    // Closing writes a new end of track; the old one would stop players before the new events.
    uint32_t kept = eventLength;
    uint8_t last[4] = {};
    if (eventLength >= 4 && mmioSeek(handle, kEventData + eventLength - 4, SEEK_SET) >= 0 &&
        mmioRead(handle, last, 4) == 4 && std::memcmp(last, kEndOfTrack, 4) == 0) {
        kept = eventLength - 4;
    }
    // Room for another chunk after the track: not a file of ours, and not one to grow over.
    if (size - (kEventData + kept + (kept & 1U)) >= 8) {
        report(reason::kCannotGrow);
        return false;
    }
    if (layout == Layout::Final || kept != eventLength) {
        uint8_t field[4];
        putLittleEndian(field, 6);
        bool ok = putBytes(kHeaderLengthField, field, 4);
        ok = ok && putBytes(kTrack0LetterField, "r", 1);
        putLittleEndian(field, kTrack0Length);
        ok = ok && putBytes(kTrack0LengthField, field, 4);
        putLittleEndian(field, kept);
        ok = ok && putBytes(kEventLengthField, field, 4);
        if (!ok || mmioFlush(handle, 0) != MMSYSERR_NOERROR) {
            return systemFailure(reason::kHeadersNotWritten);
        }
    }
    // Past the header chunk, where the tracks begin.
    return mmioSeek(handle, 8 + sizeof kHeaderData, SEEK_SET) >= 0;
}

bool MidiFile::descend(const char* chunkName, bool intoForm, bool rewind) {
    if (intoForm) {
        return isOpen() && mmioSeek(fileHandle(), 0, SEEK_SET) == 0;
    }
    return RiffFile::descend(chunkName, false, rewind);
}

std::string MidiFile::title() const {
    return isOpen() && isTemporary() ? "[noname.MID]" : RiffFile::title();
}

bool MidiFile::close() {
    if (!isOpen()) {
        return false;
    }
    bool ok = true;
    shortEndOfTrack = write(kEndOfTrack, sizeof kEndOfTrack) != sizeof kEndOfTrack;
    if (shortEndOfTrack) {
        ok = false;
    }
    const uint32_t eventLength = length();
    const int64_t lengthField = static_cast<int64_t>(dataStart()) - 4;
    seek(eventLength);
    ok = ascend(false) && ok;
    if (eventLength == 0) {
        RiffFile::close();
        return false;
    }

    ok = writeStandardFields(lengthField, eventLength) && ok;
    mmioSeek(fileHandle(), 0, SEEK_SET);
    ok = releaseHandle() && ok;
    setModified(false);
    return ok;
}

}  // namespace files
