#include "pages/dropout_notice.h"

#include "platform/audio_underruns.h"

namespace pages {

void DropoutNotice::playStarted() {
    countAtPlay = platform::underrunCount();
    told = false;
}

std::string DropoutNotice::due() {
    const uint64_t dropouts = platform::underrunCount() - countAtPlay;
    if (told || dropouts < kRepeats) {
        return {};
    }
    told = true;
    holdUntil = std::chrono::steady_clock::now() + kHold;
    return dropoutText(dropouts, platform::serverBufferInForce());
}

bool DropoutNotice::readoutMayShow() const {
    return std::chrono::steady_clock::now() >= holdUntil;
}

std::string dropoutText(uint64_t dropouts, int32_t serverBufferMs) {
    std::string text = "The sound dropped out " + std::to_string(dropouts) + " times since Play";
    if (serverBufferMs > 0) {
        text += "; the sound server now keeps " + std::to_string(serverBufferMs) + " ms";
    }
    return text + ".";
}

}  // namespace pages
