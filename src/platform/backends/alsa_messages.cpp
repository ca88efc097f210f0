#include "platform/backends/alsa_messages.h"

#include <alsa/asoundlib.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace platform {

namespace {

std::atomic<int> quietHolders{0};

bool isMissingSequencer(const char* function, int err) {
    const int reason = std::abs(err);
    return function != nullptr && std::strcmp(function, "snd_seq_hw_open") == 0 &&
           (reason == ENOENT || reason == ENODEV || reason == ENXIO);
}

// libasound passes the system's error number as it found it, positive.
[[gnu::format(printf, 5, 6)]] void alsaMessage(const char* file, int line, const char* function,
                                               int err, const char* format, ...) {
    if (isMissingSequencer(function, err) || quietHolders.load(std::memory_order_relaxed) > 0) {
        return;
    }
    char text[512];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0) {
        return;
    }
    char lineText[768];
    const int written =
        std::snprintf(lineText, sizeof lineText, "lirveto: ALSA: %s%s%s (%s:%d %s)\n", text,
                      err != 0 ? ": " : "", err != 0 ? snd_strerror(-std::abs(err)) : "",
                      file != nullptr ? file : "?", line, function != nullptr ? function : "?");
    if (written <= 0) {
        return;
    }
    std::size_t size = static_cast<std::size_t>(written);
    if (size >= sizeof lineText) {  // cut short: still one whole line
        size = sizeof lineText - 1;
        lineText[size - 1] = '\n';
    }
    // One write, so that lines of two threads do not interleave.
    [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, lineText, size);
}

}  // namespace

void routeAlsaMessages() {
    static std::once_flag routed;
    std::call_once(routed, [] { snd_lib_error_set_handler(alsaMessage); });
}

QuietAlsaMessages::QuietAlsaMessages() {
    routeAlsaMessages();
    quietHolders.fetch_add(1, std::memory_order_relaxed);
}

QuietAlsaMessages::~QuietAlsaMessages() {
    quietHolders.fetch_sub(1, std::memory_order_relaxed);
}

}  // namespace platform
