#include "platform/output_choice.h"

#include <mutex>

namespace platform {

namespace {

std::mutex choiceLock;
OutputChoice chosen;

}  // namespace

void setOutputChoice(const OutputChoice& choice) {
    const std::lock_guard lock(choiceLock);
    chosen = choice;
}

OutputChoice outputChoice() {
    const std::lock_guard lock(choiceLock);
    return chosen;
}

}  // namespace platform
