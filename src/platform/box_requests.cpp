#include "platform/box_requests.h"

namespace platform {

bool BoxRequests::add(BoxRequest box) {
    std::lock_guard guard(lock);
    if (!box.cause.empty()) {
        if (active.count(box.cause) != 0 || latched.count(box.cause) != 0) {
            return false;
        }
        active.insert(box.cause);
        if (box.oncePerCause) {
            latched.insert(box.cause);
        }
    }
    waiting.push_back(std::move(box));
    return true;
}

std::optional<BoxRequest> BoxRequests::takeNext() {
    std::lock_guard guard(lock);
    if (waiting.empty()) {
        return std::nullopt;
    }
    BoxRequest next = std::move(waiting.front());
    waiting.pop_front();
    return next;
}

void BoxRequests::finished(const BoxRequest& box) {
    std::lock_guard guard(lock);
    active.erase(box.cause);
}

void BoxRequests::resetCause(const std::string& cause) {
    std::lock_guard guard(lock);
    latched.erase(cause);
}

bool BoxRequests::empty() const {
    std::lock_guard guard(lock);
    return waiting.empty();
}

}  // namespace platform
