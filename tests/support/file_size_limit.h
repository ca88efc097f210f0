#pragma once
// While it lives, no file of this process grows beyond `bytes`: writes past it fail as on a full
// disk (the signal the kernel sends for it is ignored, as the failed write is what matters).

#include <sys/resource.h>

#include <csignal>

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

}  // namespace testing_support
