#pragma once
// The latest text a worker thread has for the GUI (a status-bar readout): a writer replaces it,
// the GUI takes it when it gets round to it. Only the newest text counts, so nothing queues up
// however fast the writer goes, and neither side allocates or waits for the other's slow work.
//
// Thread: publish from any thread (timer steps, ticks, the GUI); take on the reading thread.

#include <array>
#include <cstring>
#include <mutex>
#include <string>

namespace platform {

class LatestText {
  public:
    static constexpr std::size_t kCapacity = 64;  // longer texts are cut

    // Stores `text`; true when the reader has not been told of a waiting text yet, so the caller
    // wakes it (one wake-up at a time, however many texts arrive before it reads). The text the
    // reader has or will get already is no news.
    bool publish(const char* text) noexcept {
        const std::lock_guard hold(guard);
        if (std::strncmp(slot.data(), text, kCapacity - 1) == 0) {
            return false;
        }
        std::strncpy(slot.data(), text, kCapacity - 1);
        slot[kCapacity - 1] = '\0';
        const bool wake = !waiting;
        waiting = true;
        return wake;
    }

    // The newest text, and whether it arrived since the last take.
    bool take(std::string& text) {
        const std::lock_guard hold(guard);
        const bool fresh = waiting;
        waiting = false;
        text.assign(slot.data());
        return fresh;
    }

    // Forgets the text, so that the next one is new whatever it says.
    void clear() noexcept {
        const std::lock_guard hold(guard);
        slot[0] = '\0';
        waiting = false;
    }

  private:
    std::mutex guard;  // held only to copy 64 bytes
    std::array<char, kCapacity> slot{};
    bool waiting = false;
};

}  // namespace platform
