#pragma once
// The newest position one thread has for others: both halves in one 64-bit atomic, so a reader
// never sees the x of one move with the y of another, and neither side waits or asks the system.
// It may also hold "not known" (the pointer is on another X screen, or nothing was seen yet).
//
// Thread: publish and read from any thread; with two writers the last store wins.

#include <atomic>
#include <cstdint>
#include <optional>

#include "platform/cursor_source.h"

namespace platform {

class LatestPosition {
  public:
    LatestPosition() = default;
    explicit LatestPosition(CursorPosition at) : packed(pack(at)) {}

    void publish(CursorPosition at) noexcept { packed.store(pack(at), std::memory_order_release); }
    void forget() noexcept { packed.store(kUnknown, std::memory_order_release); }

    // The newest position, or nothing when it is not known.
    std::optional<CursorPosition> read() const noexcept {
        const uint64_t now = packed.load(std::memory_order_acquire);
        if (now == kUnknown) {
            return std::nullopt;
        }
        return CursorPosition{static_cast<int32_t>(static_cast<uint32_t>(now >> 32)),
                              static_cast<int32_t>(static_cast<uint32_t>(now))};
    }

  private:
    // (INT32_MIN, INT32_MIN): no pointer is ever there.
    static constexpr uint64_t kUnknown = 0x8000'0000'8000'0000;

    static uint64_t pack(CursorPosition at) noexcept {
        return static_cast<uint64_t>(static_cast<uint32_t>(at.x)) << 32 |
               static_cast<uint32_t>(at.y);
    }

    std::atomic<uint64_t> packed{pack({})};
};

}  // namespace platform
