#include "files/riff_file.h"

#include <strings.h>

#include <cerrno>
#include <cstdio>
#include <limits>
#include <system_error>

#include "files/file_copy.h"
#include "platform/temp_file_name.h"
#include "platform/write_target.h"

namespace files {

using namespace platform;

namespace {

constexpr int64_t kLargestChunkEnd = std::numeric_limits<uint32_t>::max() - 1;

bool fileExists(const std::string& name) {
    return mmioOpenA(name.c_str(), nullptr, MMIO_EXIST) != nullptr;
}

bool deleteFile(const std::string& name) {
    return mmioOpenA(name.c_str(), nullptr, MMIO_DELETE) != nullptr || !fileExists(name);
}

}  // namespace

RiffFile::RiffFile(const char* form, const char* dataChunkName, uint32_t mode)
    : openMode(mode),
      formType(form != nullptr ? mmioStringToFOURCCA(form, 0) : 0),
      dataChunkId(mmioStringToFOURCCA(dataChunkName, 0)) {}

RiffFile::~RiffFile() {
    RiffFile::close();
}

bool RiffFile::newFile(const char* name) {
    if (isOpen() && !close()) {
        return false;
    }
    return open(name);
}

bool RiffFile::open(const char* name) {
    if (isOpen()) {
        close();
    }
    forgetReason();
    modified = false;
    appendable = true;
    chunkSize = 0;
    chunkPosition = 0;
    if (name != nullptr) {
        path = name;
        temporary = false;
    } else {
        if (!temporaryName(path)) {
            systemFailure("No name for a temporary file is free");
            path.clear();
            return false;
        }
        temporary = true;
    }

    if (temporary || !fileExists(path)) {
        errno = 0;  // not the missing file's: that is no failure
        hmmio = mmioOpenA(path.c_str(), nullptr, openMode | MMIO_CREATE | MMIO_READWRITE);
        if (hmmio == nullptr) {
            systemFailure("The file can't be created");
            if (temporary) {
                deleteFile(path);
            }
            return false;
        }
        // A file that cannot take its headers would only collect a recording nobody can read.
        if (!createChunk(nullptr, true) || !writeHeader() || !createChunk(nullptr, false)) {
            systemFailure("The file can't take its headers");
            abandonNewFile();
            return false;
        }
        return true;
    }

    hmmio = mmioOpenA(path.c_str(), nullptr, openMode);
    if (hmmio == nullptr) {
        return systemFailure("The file can't be opened");
    }
    if (!descend(nullptr, true, false) || !readHeader() || !descend(nullptr, false, true)) {
        report("The file is not a recording in the expected format");
        releaseHandle();
        chunkSize = 0;
        chunkPosition = 0;
        modified = false;
        return false;
    }
    // Recording into an opened file adds to what it holds.
    seek(chunkSize);
    return true;
}

void RiffFile::abandonNewFile() {
    releaseHandle();
    deleteFile(path);
    chunkSize = 0;
    chunkPosition = 0;
    modified = false;
}

bool RiffFile::bringUpToDate() {
    if (!isOpen()) {
        return false;
    }
    bool ok = ascend(false);
    ok = ascend(true) && ok;
    ok = descend(nullptr, true, true) && ok;
    ok = descend(nullptr, false, false) && ok;
    ok = seek(chunkSize) && ok;
    if (mmioFlush(hmmio, 0) != MMSYSERR_NOERROR) {
        ok = systemFailure("The file can't be written to the disk");
    }
    if (!ok) {
        report("The file's headers can't be brought up to date");
    }
    modified = !ok;
    return ok;
}

bool RiffFile::close() {
    if (!isOpen()) {
        return true;
    }
    forgetReason();
    const bool wasModified = modified;
    bool ok = true;
    if (modified) {
        ok = bringUpToDate();
    }
    if (!releaseHandle()) {
        return systemFailure("The file can't be closed");
    }
    if (temporary) {
        if (wasModified) {
            return false;
        }
        deleteFile(path);
    }
    return ok;
}

bool RiffFile::releaseHandle() {
    if (hmmio == nullptr) {
        return true;
    }
    const uint32_t result = mmioClose(hmmio, 0);
    hmmio = nullptr;
    return result == MMSYSERR_NOERROR;
}

bool RiffFile::seek(uint32_t newPosition) {
    if (!isOpen() ||
        mmioSeek(hmmio, static_cast<int64_t>(chunkStart) + newPosition, SEEK_SET) < 0) {
        return false;
    }
    chunkPosition = newPosition;
    return true;
}

int32_t RiffFile::write(const void* bytes, int32_t count) {
    if (!isOpen() || count < 0 || (bytes == nullptr && count > 0)) {
        return -1;
    }
    if (count == 0) {
        return 0;
    }
    forgetReason();
    const int64_t end = static_cast<int64_t>(chunkPosition) + count;
    if (end > chunkSize && !appendable) {
        report(reason::kCannotGrow);
        return -1;
    }
    // The sizes in the headers are 32-bit: a recording stops at 4 GiB instead of wrapping.
    if (chunkStart + end > kLargestChunkEnd) {
        report("The file has reached the largest size it can have (4 GB)");
        return -1;
    }
    if (mmioSeek(hmmio, static_cast<int64_t>(chunkStart) + chunkPosition, SEEK_SET) < 0) {
        report("The file is damaged: its end can't be reached");
        return -1;
    }
    const int32_t written = mmioWrite(hmmio, bytes, count);
    if (written != count) {
        systemFailure("The disk took only part of it");
        return -1;
    }
    if (end > chunkSize) {
        chunkSize = static_cast<uint32_t>(end);
    }
    chunkPosition = static_cast<uint32_t>(end);
    modified = true;
    return written;
}

int32_t RiffFile::read(void* bytes, int32_t count) {
    if (!isOpen() || count < 0) {
        return -1;
    }
    const uint32_t left = chunkPosition < chunkSize ? chunkSize - chunkPosition : 0;
    if (static_cast<uint32_t>(count) > left) {
        count = static_cast<int32_t>(left);
    }
    if (mmioSeek(hmmio, static_cast<int64_t>(chunkStart) + chunkPosition, SEEK_SET) < 0) {
        return -1;
    }
    const int32_t got = mmioRead(hmmio, bytes, count);
    if (got > 0) {
        chunkPosition += static_cast<uint32_t>(got);
    }
    return got;
}

bool RiffFile::temporaryFolder(std::string& folder) {
    folder = getTempPath();
    return !folder.empty();
}

bool RiffFile::temporaryName(std::string& name) {
    std::string folder;
    return temporaryFolder(folder) && getTempFileName(folder, "RIF", 0, name) != 0;
}

std::string RiffFile::title() const {
    if (!isOpen()) {
        return {};
    }
    if (temporary) {
        return "[noname.WAV]";
    }
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int64_t RiffFile::fileSize() {
    const int64_t here = mmioSeek(hmmio, 0, SEEK_CUR);
    const int64_t size = mmioSeek(hmmio, 0, SEEK_END);
    mmioSeek(hmmio, here, SEEK_SET);
    return size;
}

bool RiffFile::descend(const char* chunkName, bool intoForm, bool rewind) {
    if (!isOpen()) {
        return false;
    }
    const bool formKnown = formType != 0 && formInfo.ckid == FOURCC_RIFF;
    if (rewind) {
        const int64_t formData = formKnown ? formInfo.dwDataOffset + 4 : 12;
        mmioSeek(hmmio, formType == 0 || intoForm ? 0 : formData, SEEK_SET);
    }
    const int64_t size = fileSize();

    if (intoForm && formType != 0) {
        MMCKINFO form{};
        form.fccType = formType;
        if (mmioDescend(hmmio, &form, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) {
            return false;
        }
        if (form.cksize < 4 || static_cast<int64_t>(form.dwDataOffset) + form.cksize > size) {
            report(reason::kShorterThanItsHeaders);
            return false;
        }
        formInfo = form;
        return true;
    }

    MMCKINFO chunk{};
    chunk.ckid = chunkName != nullptr ? mmioStringToFOURCCA(chunkName, 0) : dataChunkId;
    const MMCKINFO* parent = formType != 0 ? &formInfo : nullptr;
    const int64_t searchStart = mmioSeek(hmmio, 0, SEEK_CUR);
    if (mmioDescend(hmmio, &chunk, parent, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) {
        return false;
    }
    const int64_t end = static_cast<int64_t>(chunk.dwDataOffset) + chunk.cksize;
    const int64_t limit =
        parent != nullptr ? static_cast<int64_t>(parent->dwDataOffset) + parent->cksize : size;
    if (end > limit || end > size) {
        report(reason::kShorterThanItsHeaders);
        mmioSeek(hmmio, searchStart, SEEK_SET);
        return false;
    }
    chunkInfo = chunk;
    chunkSize = chunk.cksize;
    chunkPosition = 0;
    chunkStart = chunk.dwDataOffset;
    // A few stray bytes after the chunk may be written over; a following chunk may not.
    appendable = size - (end + (chunk.cksize & 1U)) < 8;
    return true;
}

bool RiffFile::ascend(bool form) {
    if (!isOpen()) {
        return false;
    }
    if (!form) {
        if (modified) {
            // The size is taken from the file offset, so leave from the end of the data even
            // after writing over earlier bytes.
            chunkInfo.dwFlags |= MMIO_DIRTY;
            mmioSeek(hmmio, static_cast<int64_t>(chunkStart) + chunkSize, SEEK_SET);
        }
        return mmioAscend(hmmio, &chunkInfo, 0) == MMSYSERR_NOERROR ||
               systemFailure(reason::kHeadersNotWritten);
    }
    if (formType != 0) {
        if (modified) {
            formInfo.dwFlags |= MMIO_DIRTY;
        }
        mmioSeek(hmmio, 0, SEEK_END);
        if (mmioAscend(hmmio, &formInfo, 0) != MMSYSERR_NOERROR) {
            return systemFailure(reason::kHeadersNotWritten);
        }
        modified = false;
    }
    return true;
}

bool RiffFile::createChunk(const char* chunkName, bool form) {
    if (!isOpen()) {
        return false;
    }
    if (form && formType != 0) {
        formInfo = MMCKINFO{};
        formInfo.fccType = formType;
        if (mmioCreateChunk(hmmio, &formInfo, MMIO_CREATERIFF) != MMSYSERR_NOERROR) {
            return systemFailure(reason::kHeadersNotWritten);
        }
        formInfo.dwFlags |= MMIO_DIRTY;
    } else if (!form) {
        chunkInfo = MMCKINFO{};
        chunkInfo.ckid = chunkName != nullptr ? mmioStringToFOURCCA(chunkName, 0) : dataChunkId;
        if (mmioCreateChunk(hmmio, &chunkInfo, 0) != MMSYSERR_NOERROR) {
            return systemFailure(reason::kHeadersNotWritten);
        }
        chunkSize = 0;
        chunkPosition = 0;
        chunkStart = chunkInfo.dwDataOffset;
        chunkInfo.dwFlags |= MMIO_DIRTY;
        appendable = true;
    }
    modified = true;
    return true;
}

bool RiffFile::discard() {
    releaseHandle();
    const bool deleted = path.empty() || deleteFile(path);
    path.clear();
    chunkSize = 0;
    chunkPosition = 0;
    modified = false;
    return deleted;
}

bool RiffFile::saveAs(const char* name) {
    forgetReason();
    if (!isOpen() || name == nullptr || *name == '\0') {
        return false;
    }
    // Each step below ends in a system call; the error it leaves is the reason shown.
    WriteTarget target;
    if (!resolveWriteTarget(name, target)) {
        return systemFailure("The file can't be written there");
    }
    if (!bringUpToDate()) {
        return false;
    }
    if (target.method == WriteMethod::Direct) {
        // A FIFO, a device or standard output takes a copy of the recording as it stands; the
        // recording cannot go on in there, so it stays open under its own name.
        errno = 0;
        if (!copyFileDirectly(path, target)) {
            return systemFailure("The recording can't be written there");
        }
        return true;
    }
    const uint32_t remembered = chunkPosition;
    const bool wasTemporary = temporary;
    const std::string oldPath = path;
    temporary = false;
    if (!RiffFile::close() || !moveOrCopy(oldPath, target.path, wasTemporary)) {
        // Reopening under the old name must not hide why the save failed.
        const std::string why = reasonText;
        reopenAfterFailedSave(oldPath, wasTemporary, remembered);
        reasonText = why;
        return false;
    }
    if (wasTemporary) {
        giveOrdinaryPermissions(target.path);
    }
    if (!open(name)) {
        return false;
    }
    seek(remembered);
    seek(length());
    return true;
}

bool RiffFile::moveOrCopy(const std::string& from, const std::string& to, bool removeCopiedSource) {
    if (isSameFile(from.c_str(), to.c_str())) {
        return true;
    }
    // No deleting ahead: the rename, or the copy's final rename, replaces the old file at once.
    errno = 0;
    if (mmioRenameA(from.c_str(), to.c_str(), nullptr, 0) == MMSYSERR_NOERROR) {
        return true;
    }
    if (::strcasecmp(from.c_str(), to.c_str()) == 0) {
        return systemFailure("The file can't be renamed");
    }
    // A rename across file systems fails by design: only the copy's error tells.
    errno = 0;
    if (!copyFileVerified(from, to)) {
        return systemFailure("The copy differs from the recording");
    }
    if (removeCopiedSource) {
        deleteFile(from);
    }
    return true;
}

void RiffFile::reopenAfterFailedSave(const std::string& oldPath, bool wasTemporary,
                                     uint32_t where) {
    if (!isOpen() && open(oldPath.c_str())) {
        temporary = wasTemporary;
        seek(where);
        seek(length());
    } else {
        temporary = wasTemporary;
    }
}

void RiffFile::forgetReason() {
    reasonText.clear();
    errno = 0;
}

void RiffFile::report(const char* words) {
    if (reasonText.empty()) {
        reasonText = words;
    }
}

bool RiffFile::systemFailure(const char* otherwise) {
    // Thread-safe, unlike strerror: the timer thread writes too.
    report(errno != 0 ? std::generic_category().message(errno).c_str() : otherwise);
    return false;
}

}  // namespace files
