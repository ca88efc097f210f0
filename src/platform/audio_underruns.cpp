#include "platform/audio_underruns.h"

#include <atomic>

namespace platform {

namespace {

std::atomic<uint64_t> underruns{0};
std::atomic<int32_t> serverBufferMs{0};
static_assert(std::atomic<uint64_t>::is_always_lock_free);

}  // namespace

void noteUnderrun() noexcept {
    underruns.fetch_add(1, std::memory_order_relaxed);
}

uint64_t underrunCount() noexcept {
    return underruns.load(std::memory_order_relaxed);
}

void noteServerBuffer(int32_t ms) noexcept {
    serverBufferMs.store(ms, std::memory_order_relaxed);
}

int32_t serverBufferInForce() noexcept {
    return serverBufferMs.load(std::memory_order_relaxed);
}

}  // namespace platform
