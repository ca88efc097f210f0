#include "platform/temp_file_name.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

constexpr unsigned kNumbers = 0x10000;

std::string composeName(const std::string& folder, const char* prefix, unsigned unique) {
    std::string name = folder;
    if (!name.empty() && name.back() != '/') {
        name += '/';
    }
    for (int i = 0; prefix != nullptr && i < 3 && prefix[i] != '\0'; ++i) {
        name += prefix[i];
    }
    char number[16];
    (void)std::snprintf(number, sizeof number, "%X", unique);
    name += number;
    name += ".TMP";
    return name;
}

// Read rather than set: umask() changes it for every thread of the process.
// "e" opens it close-on-exec, as every descriptor of the program is.
mode_t currentUmask() {
    std::FILE* status = std::fopen("/proc/self/status", "re");
    if (status == nullptr) {
        return 022;
    }
    mode_t mask = 022;
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "Umask:", 6) == 0) {
            mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
            break;
        }
    }
    (void)std::fclose(status);
    return mask;
}

}  // namespace

std::string getTempPath() {
    const char* folder = std::getenv("TMPDIR");
    std::string path = folder != nullptr && *folder != '\0' ? folder : "/tmp";
    if (path.back() != '/') {
        path += '/';
    }
    return path;
}

unsigned getTempFileName(const std::string& folder, const char* prefix, unsigned unique,
                         std::string& name) {
    if (unique != 0) {
        name = composeName(folder, prefix, unique);
        return unique;
    }
    // Start somewhere different for every call so that two programs rarely collide.
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    const unsigned start = static_cast<unsigned>(now ^ (now >> 16) ^ ::getpid()) % kNumbers;
    for (unsigned step = 0; step < kNumbers; ++step) {
        const unsigned number = (start + step) % kNumbers;
        if (number == 0) {
            continue;
        }
        const std::string candidate = composeName(folder, prefix, number);
        const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            name = candidate;
            return number;
        }
        if (errno != EEXIST) {
            return 0;
        }
    }
    return 0;
}

bool giveOrdinaryPermissions(const std::string& name) {
    return ::chmod(name.c_str(), 0666 & ~currentUmask()) == 0;
}

}  // namespace platform
