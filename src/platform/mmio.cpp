#include "platform/mmio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "platform/write_target.h"

namespace platform {

struct MmioFile {
    int fd = -1;
    int64_t offset = 0;
    int64_t size = 0;  // the file's length as far as this handle has seen or made it
};

namespace {

// What mmioOpenA returns for MMIO_EXIST and MMIO_DELETE: a non-null handle that owns nothing.
MmioFile statusHandle;

constexpr int64_t kMaxChunkOffset = std::numeric_limits<uint32_t>::max();

bool usable(HMMIO handle) {
    return handle != nullptr && handle != &statusHandle && handle->fd >= 0;
}

uint32_t openError(int error) {
    switch (error) {
        case ENOENT:
            return MMIOERR_FILENOTFOUND;
        case ENOTDIR:
            return MMIOERR_PATHNOTFOUND;
        case EACCES:
        case EPERM:
        case EROFS:
            return MMIOERR_ACCESSDENIED;
        case ENOMEM:
            return MMIOERR_OUTOFMEMORY;
        default:
            return MMIOERR_CANNOTOPEN;
    }
}

void setError(MMIOINFO* info, uint32_t error) {
    if (info != nullptr) {
        info->wErrorRet = error;
    }
}

void storeLittleEndian(uint8_t* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint32_t loadLittleEndian(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

HMMIO mmioOpenA(const char* fileName, MMIOINFO* info, uint32_t flags) {
    setError(info, MMSYSERR_NOERROR);
    if (fileName == nullptr || *fileName == '\0') {
        setError(info, MMIOERR_FILENOTFOUND);
        return nullptr;
    }
    if ((flags & MMIO_EXIST) != 0) {
        struct stat status {};
        if (::stat(fileName, &status) != 0) {
            setError(info, openError(errno));
            return nullptr;
        }
        return &statusHandle;
    }
    if ((flags & MMIO_DELETE) != 0) {
        if (::unlink(fileName) != 0) {
            setError(info, openError(errno));
            return nullptr;
        }
        return &statusHandle;
    }

    int mode = O_RDONLY;
    if ((flags & MMIO_READWRITE) != 0) {
        mode = O_RDWR;
    } else if ((flags & MMIO_WRITE) != 0) {
        mode = O_WRONLY;
    }
    if ((flags & MMIO_CREATE) != 0) {
        mode |= O_CREAT | O_TRUNC;
    }
    const int fd = ::open(fileName, mode | O_CLOEXEC, 0666);
    if (fd < 0) {
        setError(info, openError(errno));
        return nullptr;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
        ::close(fd);
        setError(info, MMIOERR_CANNOTOPEN);
        return nullptr;
    }
    return new MmioFile{fd, 0, static_cast<int64_t>(status.st_size)};
}

uint32_t mmioClose(HMMIO handle, uint32_t /*flags*/) {
    if (!usable(handle)) {
        return MMIOERR_INVALIDFILE;
    }
    const int result = ::close(handle->fd);
    delete handle;
    // The descriptor is released even when close reports an error, so it must not be retried.
    return result == 0 || errno == EINTR ? MMSYSERR_NOERROR : MMIOERR_CANNOTCLOSE;
}

int32_t mmioRead(HMMIO handle, void* buffer, int32_t count) {
    if (!usable(handle) || count < 0 || (buffer == nullptr && count > 0)) {
        return -1;
    }
    auto* bytes = static_cast<uint8_t*>(buffer);
    int32_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(handle->fd, bytes + done, static_cast<size_t>(count - done),
                                  handle->offset + done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return -1;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<int32_t>(n);
    }
    handle->offset += done;
    return done;
}

int32_t mmioWrite(HMMIO handle, const void* buffer, int32_t count) {
    if (!usable(handle) || count < 0 || (buffer == nullptr && count > 0)) {
        return -1;
    }
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    int32_t done = 0;
    while (done < count) {
        const ssize_t n = ::pwrite(handle->fd, bytes + done, static_cast<size_t>(count - done),
                                   handle->offset + done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // A torn write must not leave half a buffer behind the end of the file.
            if (handle->offset + done > handle->size) {
                const int saved = errno;
                if (::ftruncate(handle->fd, handle->size) != 0) {
                    errno = saved;
                }
            }
            return -1;
        }
        done += static_cast<int32_t>(n);
    }
    handle->offset += done;
    if (handle->offset > handle->size) {
        handle->size = handle->offset;
    }
    return done;
}

int64_t mmioSeek(HMMIO handle, int64_t offset, int origin) {
    if (!usable(handle)) {
        return -1;
    }
    int64_t base = 0;
    switch (origin) {
        case SEEK_SET:
            break;
        case SEEK_CUR:
            base = handle->offset;
            break;
        case SEEK_END: {
            struct stat status {};
            if (::fstat(handle->fd, &status) != 0) {
                return -1;
            }
            handle->size = status.st_size;
            base = handle->size;
            break;
        }
        default:
            return -1;
    }
    if ((offset < 0 && base + offset < 0) ||
        (offset > 0 && base > std::numeric_limits<int64_t>::max() - offset)) {
        return -1;
    }
    handle->offset = base + offset;
    return handle->offset;
}

uint32_t mmioFlush(HMMIO handle, uint32_t /*flags*/) {
    if (!usable(handle)) {
        return MMIOERR_INVALIDFILE;
    }
    if (::fdatasync(handle->fd) != 0 && errno != EINVAL && errno != EROFS) {
        return MMIOERR_CANNOTWRITE;
    }
    return MMSYSERR_NOERROR;
}

uint32_t mmioCreateChunk(HMMIO handle, MMCKINFO* chunk, uint32_t flags) {
    if (!usable(handle) || chunk == nullptr) {
        return MMIOERR_INVALIDFILE;
    }
    const int64_t start = handle->offset;
    if (start + 8 > kMaxChunkOffset) {
        return MMIOERR_CANNOTEXPAND;
    }
    if ((flags & MMIO_CREATERIFF) != 0) {
        chunk->ckid = FOURCC_RIFF;
    } else if ((flags & MMIO_CREATELIST) != 0) {
        chunk->ckid = FOURCC_LIST;
    }
    const bool withType = chunk->ckid == FOURCC_RIFF || chunk->ckid == FOURCC_LIST;
    uint8_t header[12];
    storeLittleEndian(header, chunk->ckid);
    storeLittleEndian(header + 4, chunk->cksize);
    storeLittleEndian(header + 8, chunk->fccType);
    const int32_t length = withType ? 12 : 8;
    if (mmioWrite(handle, header, length) != length) {
        return MMIOERR_CANNOTWRITE;
    }
    chunk->dwDataOffset = static_cast<uint32_t>(start + 8);
    chunk->dwFlags = MMIO_DIRTY;
    return MMSYSERR_NOERROR;
}

uint32_t mmioDescend(HMMIO handle, MMCKINFO* chunk, const MMCKINFO* parent, uint32_t flags) {
    if (!usable(handle) || chunk == nullptr) {
        return MMIOERR_INVALIDFILE;
    }
    const int64_t searchStart = handle->offset;
    int64_t limit = std::numeric_limits<int64_t>::max();
    if (parent != nullptr) {
        limit = static_cast<int64_t>(parent->dwDataOffset) + parent->cksize;
        if (searchStart < parent->dwDataOffset || searchStart >= limit) {
            return MMIOERR_CHUNKNOTFOUND;
        }
    }

    FOURCC wantedId = 0;
    FOURCC wantedType = 0;
    if ((flags & MMIO_FINDCHUNK) != 0) {
        wantedId = chunk->ckid;
    } else if ((flags & MMIO_FINDRIFF) != 0) {
        wantedId = FOURCC_RIFF;
        wantedType = chunk->fccType;
    } else if ((flags & MMIO_FINDLIST) != 0) {
        wantedId = FOURCC_LIST;
        wantedType = chunk->fccType;
    }

    int64_t at = searchStart;
    while (at + 8 <= limit && at + 8 <= kMaxChunkOffset) {
        handle->offset = at;
        uint8_t header[12];
        const int32_t got = mmioRead(handle, header, sizeof header);
        if (got < 8) {
            break;
        }
        const FOURCC id = loadLittleEndian(header);
        const uint32_t size = loadLittleEndian(header + 4);
        const bool withType = id == FOURCC_RIFF || id == FOURCC_LIST;
        const FOURCC type = withType && got == 12 ? loadLittleEndian(header + 8) : 0;
        if ((wantedId == 0 || wantedId == id) && (wantedType == 0 || wantedType == type) &&
            (!withType || got == 12)) {
            chunk->ckid = id;
            chunk->cksize = size;
            chunk->fccType = type;
            chunk->dwDataOffset = static_cast<uint32_t>(at + 8);
            chunk->dwFlags = 0;
            handle->offset = at + (withType ? 12 : 8);
            return MMSYSERR_NOERROR;
        }
        at += 8 + static_cast<int64_t>(size) + (size & 1U);
    }
    handle->offset = searchStart;
    return MMIOERR_CHUNKNOTFOUND;
}

uint32_t mmioAscend(HMMIO handle, MMCKINFO* chunk, uint32_t /*flags*/) {
    if (!usable(handle) || chunk == nullptr) {
        return MMIOERR_INVALIDFILE;
    }
    if ((chunk->dwFlags & MMIO_DIRTY) != 0) {
        const int64_t size = handle->offset - chunk->dwDataOffset;
        if (size < 0 || size > kMaxChunkOffset || chunk->dwDataOffset < 4) {
            return MMIOERR_CANNOTSEEK;
        }
        const int64_t end = handle->offset;
        if ((size & 1) != 0) {
            const uint8_t pad = 0;
            if (mmioWrite(handle, &pad, 1) != 1) {
                return MMIOERR_CANNOTWRITE;
            }
        }
        uint8_t field[4];
        storeLittleEndian(field, static_cast<uint32_t>(size));
        handle->offset = chunk->dwDataOffset - 4;
        if (mmioWrite(handle, field, 4) != 4) {
            handle->offset = end;
            return MMIOERR_CANNOTWRITE;
        }
        chunk->cksize = static_cast<uint32_t>(size);
        chunk->dwFlags = 0;
    }
    handle->offset =
        static_cast<int64_t>(chunk->dwDataOffset) + chunk->cksize + (chunk->cksize & 1U);
    return MMSYSERR_NOERROR;
}

uint32_t mmioRenameA(const char* oldName, const char* newName, const MMIOINFO* /*info*/,
                     uint32_t /*flags*/) {
    if (oldName == nullptr || newName == nullptr || *newName == '\0') {
        return MMIOERR_FILENOTFOUND;
    }
    WriteTarget target;
    if (!resolveWriteTarget(newName, target)) {
        return openError(errno);
    }
    // Renaming over a FIFO or a device would put a plain file in its place.
    if (target.method == WriteMethod::Direct) {
        errno = EINVAL;
        return MMIOERR_CANNOTWRITE;
    }
    if (::rename(oldName, target.path.c_str()) != 0) {
        return errno == EXDEV ? MMIOERR_CANNOTWRITE : openError(errno);
    }
    return MMSYSERR_NOERROR;
}

FOURCC mmioStringToFOURCCA(const char* text, uint32_t flags) {
    char code[4] = {' ', ' ', ' ', ' '};
    for (int i = 0; text != nullptr && i < 4 && text[i] != '\0'; ++i) {
        code[i] = (flags & MMIO_TOUPPER) != 0
                      ? static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])))
                      : text[i];
    }
    return mmioFOURCC(code[0], code[1], code[2], code[3]);
}

bool isSameFile(const char* first, const char* second) {
    struct stat a {};
    struct stat b {};
    return first != nullptr && second != nullptr && ::stat(first, &a) == 0 &&
           ::stat(second, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace platform
