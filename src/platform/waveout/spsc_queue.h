#pragma once
// A fixed-size queue between exactly one producer thread and one consumer thread, without locks
// or allocation, for handing small trivially-copyable messages to and from an audio callback.
//
// Threads: push on the producer's thread; front, pop and empty on the consumer's. Either role may
// pass to another thread only across a happens-before edge (e.g. while the device is stopped).

#include <array>
#include <atomic>
#include <cstddef>
#include <optional>
#include <type_traits>

namespace platform {

template <typename T, std::size_t Capacity>
class SpscQueue {
    static_assert(std::is_trivially_copyable_v<T>);
    static_assert(Capacity > 0 && (Capacity & (Capacity - 1)) == 0, "capacity: a power of two");

  public:
    // Producer. False when full; the message is then not queued.
    bool push(const T& message) noexcept {
        const std::size_t back = tail.load(std::memory_order_relaxed);
        if (back - head.load(std::memory_order_acquire) == Capacity) {
            return false;
        }
        ring[back & (Capacity - 1)] = message;
        tail.store(back + 1, std::memory_order_release);
        return true;
    }

    // Consumer. The oldest message, left in the queue; null when empty.
    const T* front() const noexcept {
        const std::size_t oldest = head.load(std::memory_order_relaxed);
        if (oldest == tail.load(std::memory_order_acquire)) {
            return nullptr;
        }
        return &ring[oldest & (Capacity - 1)];
    }

    // Consumer. Removes and returns the oldest message.
    std::optional<T> pop() noexcept {
        const T* oldest = front();
        if (oldest == nullptr) {
            return std::nullopt;
        }
        T message = *oldest;
        head.store(head.load(std::memory_order_relaxed) + 1, std::memory_order_release);
        return message;
    }

    // Consumer.
    bool empty() const noexcept { return front() == nullptr; }

  private:
    std::array<T, Capacity> ring{};
    alignas(64) std::atomic<std::size_t> head{0};
    alignas(64) std::atomic<std::size_t> tail{0};
};

}  // namespace platform
