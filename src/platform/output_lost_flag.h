#pragma once
// The step or tick that drives a device raises this when it finds the device gone; the GUI's
// output watch reads it without waiting for the step's locks.
//
// Thread: raise from the driving thread; raised and clear from the GUI (clear only while no step
// or tick runs, at Start).

#include <atomic>

namespace platform {

class OutputLostFlag {
  public:
    // Steps between two looks at the device: a watch that looks a few times a second needs no
    // more, and the look costs a call into the device library.
    static constexpr unsigned kLookEvery = 32;

    // True when the caller should look at its device now (one call in kLookEvery).
    bool timeToLook() noexcept { return ++calls % kLookEvery == 0; }
    void raise() noexcept { lost.store(true, std::memory_order_release); }
    bool raised() const noexcept { return lost.load(std::memory_order_acquire); }
    void clear() noexcept {
        lost.store(false, std::memory_order_release);
        calls = 0;
    }

  private:
    std::atomic<bool> lost{false};
    unsigned calls = 0;  // the driving thread's own
};

}  // namespace platform
