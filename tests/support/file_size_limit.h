#pragma once
// While it lives, no file of this process grows beyond `bytes`: writes past it fail as on a full
// disk (the signal the kernel sends for it is ignored, as the failed write is what matters).

#include <sys/resource.h>

#include <csignal>
#include <string>

namespace testing_support {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &before);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = before;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit before{};
    void (*previousHandler)(int) = SIG_DFL;
};

// What the user is told when the limit stops a recording into `file`.
inline std::string limitedRecordingText(const std::string& file) {
    return "Can't write to the recording " + file +
           ": File too large. The recording keeps what it holds so far.";
}

}  // namespace testing_support
