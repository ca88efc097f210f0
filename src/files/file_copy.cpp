#include "files/file_copy.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/mmio.h"
#include "platform/path_folder.h"
#include "platform/temp_file_name.h"
#include "platform/write_target.h"

namespace files {

using namespace platform;

namespace {

constexpr int32_t kBlock = 64 * 1024;

class Handle {
  public:
    explicit Handle(HMMIO opened) : handle(opened) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { close(); }
    HMMIO get() const { return handle; }
    bool close() {
        const bool ok = handle == nullptr || mmioClose(handle, 0) == MMSYSERR_NOERROR;
        handle = nullptr;
        return ok;
    }

  private:
    HMMIO handle;
};

bool copyAll(HMMIO source, HMMIO target, std::vector<uint8_t>& block) {
    for (;;) {
        const int32_t got = mmioRead(source, block.data(), kBlock);
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        if (mmioWrite(target, block.data(), got) != got) {
            return false;
        }
    }
}

bool sameContents(HMMIO first, HMMIO second, std::vector<uint8_t>& a, std::vector<uint8_t>& b) {
    if (mmioSeek(first, 0, SEEK_SET) != 0 || mmioSeek(second, 0, SEEK_SET) != 0) {
        return false;
    }
    for (;;) {
        const int32_t gotA = mmioRead(first, a.data(), kBlock);
        const int32_t gotB = mmioRead(second, b.data(), kBlock);
        if (gotA < 0 || gotA != gotB ||
            std::memcmp(a.data(), b.data(), static_cast<size_t>(gotA)) != 0) {
            return false;
        }
        if (gotA == 0) {
            return true;
        }
    }
}

}  // namespace

bool copyFileVerified(const std::string& from, const std::string& to) {
    WriteTarget replaced;
    if (!resolveWriteTarget(to, replaced)) {
        return false;
    }
    if (replaced.method == WriteMethod::Direct) {
        errno = EINVAL;  // nothing to rename over: see copyFileDirectly
        return false;
    }
    // Staged in the folder of the file replaced (a link's target) so that the final rename
    // cannot cross file systems.
    std::string staging;
    if (getTempFileName(folderOf(replaced.path), "RIF", 0, staging) == 0) {
        return false;
    }
    bool ok = false;
    {
        Handle source(mmioOpenA(from.c_str(), nullptr, MMIO_READ));
        Handle target(mmioOpenA(staging.c_str(), nullptr, MMIO_READWRITE));
        if (source.get() != nullptr && target.get() != nullptr) {
            std::vector<uint8_t> a(kBlock);
            std::vector<uint8_t> b(kBlock);
            ok = copyAll(source.get(), target.get(), a) &&
                 mmioFlush(target.get(), 0) == MMSYSERR_NOERROR &&
                 sameContents(source.get(), target.get(), a, b);
        }
        ok = target.close() && ok;
    }
    ok = ok && giveOrdinaryPermissions(staging) &&
         mmioRenameA(staging.c_str(), replaced.path.c_str(), nullptr, 0) == MMSYSERR_NOERROR;
    if (!ok) {
        const int reason = errno;  // the cause, not the clean-up, is what the caller reports
        mmioOpenA(staging.c_str(), nullptr, MMIO_DELETE);
        errno = reason;
    }
    return ok;
}

}  // namespace files
