#pragma once
// Buffered-chunk file I/O with the flags, results and MMCKINFO semantics of the multimedia file
// functions, over POSIX files. Chunk sizes are little-endian 32-bit; a dirty chunk gets its size
// written back on ascend and is padded to an even length with one zero byte.
//
// Thread: any thread but audio (every function here); one handle must not be used by two threads
// at the same time (the owner serialises its use). No function keeps state outside its handle.

#include <cstdint>

namespace platform {

using FOURCC = uint32_t;

constexpr FOURCC mmioFOURCC(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}

constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');

// Open flags.
constexpr uint32_t MMIO_READ = 0x0000;
constexpr uint32_t MMIO_WRITE = 0x0001;
constexpr uint32_t MMIO_READWRITE = 0x0002;
constexpr uint32_t MMIO_CREATE = 0x1000;
constexpr uint32_t MMIO_DELETE = 0x0200;
constexpr uint32_t MMIO_EXIST = 0x4000;
// Descend, create-chunk and string flags.
constexpr uint32_t MMIO_FINDCHUNK = 0x0010;
constexpr uint32_t MMIO_FINDRIFF = 0x0020;
constexpr uint32_t MMIO_FINDLIST = 0x0040;
constexpr uint32_t MMIO_CREATERIFF = 0x0020;
constexpr uint32_t MMIO_CREATELIST = 0x0040;
constexpr uint32_t MMIO_TOUPPER = 0x0010;
// MMCKINFO::dwFlags: the chunk's size must be written back on ascend.
constexpr uint32_t MMIO_DIRTY = 0x10000000;

// Results.
constexpr uint32_t MMSYSERR_NOERROR = 0;
constexpr uint32_t MMIOERR_BASE = 256;
constexpr uint32_t MMIOERR_FILENOTFOUND = MMIOERR_BASE + 1;
constexpr uint32_t MMIOERR_OUTOFMEMORY = MMIOERR_BASE + 2;
constexpr uint32_t MMIOERR_CANNOTOPEN = MMIOERR_BASE + 3;
constexpr uint32_t MMIOERR_CANNOTCLOSE = MMIOERR_BASE + 4;
constexpr uint32_t MMIOERR_CANNOTREAD = MMIOERR_BASE + 5;
constexpr uint32_t MMIOERR_CANNOTWRITE = MMIOERR_BASE + 6;
constexpr uint32_t MMIOERR_CANNOTSEEK = MMIOERR_BASE + 7;
constexpr uint32_t MMIOERR_CANNOTEXPAND = MMIOERR_BASE + 8;
constexpr uint32_t MMIOERR_CHUNKNOTFOUND = MMIOERR_BASE + 9;
constexpr uint32_t MMIOERR_PATHNOTFOUND = MMIOERR_BASE + 11;
constexpr uint32_t MMIOERR_ACCESSDENIED = MMIOERR_BASE + 12;
constexpr uint32_t MMIOERR_INVALIDFILE = MMIOERR_BASE + 16;

struct MMCKINFO {
    FOURCC ckid = 0;
    uint32_t cksize = 0;
    FOURCC fccType = 0;         // form or list type; 0 for other chunks
    uint32_t dwDataOffset = 0;  // file offset of the chunk's data (after ckid and cksize)
    uint32_t dwFlags = 0;
};

// Only the error field is used: it tells why mmioOpenA failed.
struct MMIOINFO {
    uint32_t wErrorRet = 0;
};

struct MmioFile;
using HMMIO = MmioFile*;

// Opens a file. With MMIO_EXIST or MMIO_DELETE nothing stays open: the result is a non-null
// status handle on success (the file exists, or was deleted) that must not be used or closed.
// MMIO_CREATE creates or truncates the file. Null on failure, the reason in info->wErrorRet.
HMMIO mmioOpenA(const char* fileName, MMIOINFO* info, uint32_t flags);

// Releases the handle in every case; an error result means the last data may not have reached
// the disk.
uint32_t mmioClose(HMMIO handle, uint32_t flags);

// Returns the bytes read (0 at the end of the file) or -1.
int32_t mmioRead(HMMIO handle, void* buffer, int32_t count);

// All or nothing: returns count, or -1 when the bytes could not all be written. After a failure
// the file offset is unchanged and any bytes that extended the file are cut off again.
int32_t mmioWrite(HMMIO handle, const void* buffer, int32_t count);

// origin is SEEK_SET, SEEK_CUR or SEEK_END. Returns the new offset, or -1 (offset unchanged).
int64_t mmioSeek(HMMIO handle, int64_t offset, int origin);

// Makes what was written durable on disk.
uint32_t mmioFlush(HMMIO handle, uint32_t flags);

// Writes a chunk header at the current offset (ckid, cksize, and for MMIO_CREATERIFF or
// MMIO_CREATELIST the fccType) and leaves the offset at the chunk's data. Marks it dirty.
uint32_t mmioCreateChunk(HMMIO handle, MMCKINFO* chunk, uint32_t flags);

// Searches from the current offset, within parent when given, for the chunk chosen by flags
// (MMIO_FINDCHUNK: chunk->ckid; MMIO_FINDRIFF/MMIO_FINDLIST: chunk->fccType; none: the next
// chunk) and leaves the offset at its data (past the form type of a RIFF or LIST chunk). On
// MMIOERR_CHUNKNOTFOUND the offset is back where the search began.
uint32_t mmioDescend(HMMIO handle, MMCKINFO* chunk, const MMCKINFO* parent, uint32_t flags);

// Leaves the chunk: a dirty chunk's size becomes the current offset minus its data offset, is
// written into its header and padded to even length; the offset moves past the (padded) chunk.
uint32_t mmioAscend(HMMIO handle, MMCKINFO* chunk, uint32_t flags);

// Renames a closed file. An existing file of the new name is replaced atomically; a symbolic link
// is followed and its target replaced (platform/write_target.h). A FIFO or a device of the new
// name is left alone and MMIOERR_CANNOTWRITE returned. Fails across file systems.
uint32_t mmioRenameA(const char* oldName, const char* newName, const MMIOINFO* info,
                     uint32_t flags);

// Up to four characters, padded with blanks; MMIO_TOUPPER folds them to upper case.
FOURCC mmioStringToFOURCCA(const char* text, uint32_t flags);

// True when both names lead to one existing file (the same device and inode).
bool isSameFile(const char* first, const char* second);

}  // namespace platform
