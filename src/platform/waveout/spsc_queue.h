#pragma once
// A fixed-size queue between exactly one producer thread and one consumer thread, without locks
// or allocation, for handing small trivially-copyable messages to and from an audio callback.
//
// Thread: push on the producer's thread, front, pop and empty on the consumer's: in the wave
// output, GUI to audio for queued headers and audio to the notifier for finished ones. A role
// changes thread only while stopped (across a happens-before edge).

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
    // Thread: the producer's. False when full; the message is then not queued.
    bool push(const T& message) noexcept {
        const std::size_t back = tail.load(std::memory_order_relaxed);
        if (back - head.load(std::memory_order_acquire) == Capacity) {
            return false;
        }
        ring[back & (Capacity - 1)] = message;
        tail.store(back + 1, std::memory_order_release);
        return true;
    }

    // Thread: the consumer's. The oldest message, left in the queue; null when empty.
    const T* front() const noexcept {
        const std::size_t oldest = head.load(std::memory_order_relaxed);
        if (oldest == tail.load(std::memory_order_acquire)) {
            return nullptr;
        }
        return &ring[oldest & (Capacity - 1)];
    }

    // Thread: the consumer's. Removes and returns the oldest message.
    std::optional<T> pop() noexcept {
        const T* oldest = front();
        if (oldest == nullptr) {
            return std::nullopt;
        }
        T message = *oldest;
        head.store(head.load(std::memory_order_relaxed) + 1, std::memory_order_release);
        return message;
    }

    // Thread: the consumer's.
    bool empty() const noexcept { return front() == nullptr; }

  private:
    std::array<T, Capacity> ring{};
    alignas(64) std::atomic<std::size_t> head{0};
    alignas(64) std::atomic<std::size_t> tail{0};
};

}  // namespace platform
