#include "platform/registry.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/path_folder.h"

namespace platform {

namespace {

// A settings key is a few hundred bytes; anything this large is not ours.
constexpr std::size_t maxRegistryFileBytes = std::size_t{1024} * 1024;

// The program reads its environment on the GUI thread only.
const char* environment(const char* name) {
    return std::getenv(name);  // NOLINT(concurrency-mt-unsafe)
}

std::string homeFolder() {
    if (const char* home = environment("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

bool makeFolders(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        if (!S_ISDIR(info.st_mode)) {
            errno = ENOTDIR;
            return false;
        }
        return true;
    }
    if (errno != ENOENT) {
        return false;
    }
    const auto slash = folder.rfind('/');
    if (slash != std::string::npos && slash > 0 && !makeFolders(folder.substr(0, slash))) {
        return false;
    }
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// One line on stderr; nothing more can be done when that fails.
void warn(std::initializer_list<std::string_view> parts) {
    std::string line;
    for (std::string_view part : parts) {
        line.append(part);
    }
    static_cast<void>(std::fprintf(stderr, "%s\n", line.c_str()));
}

// What the user should learn of the store, for the status bar; GUI thread only.
std::string pendingNotice;

constexpr int keptDamagedCopies = 3;

std::string damagedName(const std::string& path, int n) {
    return path + (n == 1 ? ".damaged" : ".damaged." + std::to_string(n));
}

// A free name for a damaged copy, or, when all are taken, the oldest copy's: at most
// keptDamagedCopies are kept.
std::string asideName(const std::string& path) {
    std::string oldest;
    struct timespec oldestTime {};
    for (int n = 1; n <= keptDamagedCopies; ++n) {
        std::string aside = damagedName(path, n);
        struct stat info {};
        if (::lstat(aside.c_str(), &info) != 0) {
            return aside;
        }
        const struct timespec when = info.st_mtim;
        if (oldest.empty() || when.tv_sec < oldestTime.tv_sec ||
            (when.tv_sec == oldestTime.tv_sec && when.tv_nsec < oldestTime.tv_nsec)) {
            oldest = aside;
            oldestTime = when;
        }
    }
    return oldest;
}

// Moves a damaged file out of the way, replacing the oldest copy when three are kept.
bool setAside(const std::string& path) {
    const std::string aside = asideName(path);
    if (::rename(path.c_str(), aside.c_str()) == 0) {
        warn({"lirveto: settings file ", path, " is damaged; kept as ", aside, ", using defaults"});
        pendingNotice = "Settings file damaged, defaults used; kept as " + aside;
        return true;
    }
    const int error = errno;
    const std::string reason = std::strerror(error);  // NOLINT(concurrency-mt-unsafe): GUI thread
    warn({"lirveto: settings file ", path, " is damaged and cannot be set aside (", reason, ")"});
    pendingNotice = "Settings file damaged and not writable: " + reason;
    return false;
}

void noteUnreadable(const std::string& path, const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) {
        list += (list.empty() ? "" : ", ") + (name.empty() ? std::string("@") : name);
    }
    warn({"lirveto: settings file ", path, ": unreadable values use their defaults: ", list});
    pendingNotice = "Unreadable settings use their defaults: " + list;
}

enum class Load { Ok, Missing, SetAside, Stuck };

// Reads the file; a damaged one is set aside and reads as missing.
Load loadContents(const std::string& path, RegistryContents& contents) {
    std::string text;
    switch (readWholeFile(path, text, maxRegistryFileBytes)) {
        case FileRead::Missing:
            return Load::Missing;
        case FileRead::Ok:
            if (parseRegistryFile(text, contents)) {
                if (!contents.unreadable.empty()) {
                    noteUnreadable(path, contents.unreadable);
                }
                return Load::Ok;
            }
            break;
        case FileRead::Failed:
            break;
    }
    contents = RegistryContents{};
    return setAside(path) ? Load::SetAside : Load::Stuck;
}

bool validName(const char* name) {
    return std::strpbrk(name, "\r\n") == nullptr;
}

}  // namespace

std::string takeRegistryNotice() {
    return std::exchange(pendingNotice, {});
}

std::optional<std::string> registryFilePath() {
    std::string base;
    if (const char* config = environment("XDG_CONFIG_HOME");
        config != nullptr && config[0] == '/') {
        base = config;
    } else {
        base = homeFolder();
        if (base.empty()) {
            return std::nullopt;
        }
        base += "/.config";
    }
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    return base + "/Quillhorn/Lirveto.reg";
}

RegistryKey::RegistryKey(std::string filePath, RegistryContents values, bool forWriting)
    : path(std::move(filePath)), contents(std::move(values)), writable(forWriting) {}

RegistryKey::~RegistryKey() {
    if (close() == RegResult::Failed) {
        warn({"lirveto: settings could not be written to ", path});
    }
}

std::unique_ptr<RegistryKey> RegistryKey::openForReading() {
    const auto path = registryFilePath();
    if (!path) {
        return nullptr;
    }
    RegistryContents contents;
    if (loadContents(*path, contents) != Load::Ok || !contents.keyPresent) {
        return nullptr;
    }
    return std::unique_ptr<RegistryKey>(new RegistryKey(*path, std::move(contents), false));
}

std::unique_ptr<RegistryKey> RegistryKey::createForWriting() {
    const auto path = registryFilePath();
    if (!path) {
        errno = ENOENT;
        return nullptr;
    }
    if (!makeFolders(folderOf(*path))) {
        return nullptr;
    }
    RegistryContents contents;
    if (loadContents(*path, contents) == Load::Stuck) {
        return nullptr;
    }
    contents.keyPresent = true;
    if (!replaceFileAtomically(*path, formatRegistryFile(contents))) {
        return nullptr;
    }
    return std::unique_ptr<RegistryKey>(new RegistryKey(*path, std::move(contents), true));
}

RegResult RegistryKey::queryValue(const char* name, uint32_t* type, void* data,
                                  uint32_t* size) const {
    if (closed || size == nullptr) {
        return RegResult::Failed;
    }
    const std::string_view wanted = name != nullptr ? name : "";
    const auto found =
        std::find_if(contents.values.begin(), contents.values.end(),
                     [&](const RegistryValue& value) { return sameValueName(value.name, wanted); });
    if (found == contents.values.end()) {
        return RegResult::NotFound;
    }
    if (type != nullptr) {
        *type = found->type;
    }
    const auto needed = static_cast<uint32_t>(found->data.size());
    const uint32_t room = *size;
    *size = needed;
    if (data == nullptr) {
        return RegResult::Success;
    }
    if (room < needed) {
        return RegResult::MoreData;
    }
    std::copy(found->data.begin(), found->data.end(), static_cast<uint8_t*>(data));
    return RegResult::Success;
}

RegResult RegistryKey::setValue(const char* name, uint32_t type, const void* data, uint32_t size) {
    if (closed || !writable || (data == nullptr && size > 0) ||
        (name != nullptr && !validName(name))) {
        return RegResult::Failed;
    }
    RegistryValue value{name != nullptr ? name : "", type, {}};
    const auto* bytes = static_cast<const uint8_t*>(data);
    value.data.assign(bytes, bytes + size);
    const auto found = std::find_if(
        contents.values.begin(), contents.values.end(),
        [&](const RegistryValue& existing) { return sameValueName(existing.name, value.name); });
    if (found != contents.values.end()) {
        found->type = type;
        found->data = std::move(value.data);
    } else {
        contents.values.push_back(std::move(value));
    }
    dirty = true;
    return RegResult::Success;
}

RegResult RegistryKey::close() {
    if (closed) {
        return RegResult::Success;
    }
    closed = true;
    if (!dirty) {
        return RegResult::Success;
    }
    const std::string text = formatRegistryFile(contents);
    // A file too large to be read back would be lost as damaged at the next start.
    if (text.size() > maxRegistryFileBytes) {
        errno = EFBIG;
        return RegResult::Failed;
    }
    if (!replaceFileAtomically(path, text)) {
        return RegResult::Failed;
    }
    return RegResult::Success;
}

}  // namespace platform
