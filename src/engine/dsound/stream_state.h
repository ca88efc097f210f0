#pragma once
// What the DirectSound stream carries across plays, process-wide: the busy flag that lets one
// step run at a time, the slew-limited frequency, where the next byte goes and the oscillator
// phase. A new play slews from where the last one ended and writes where it stopped writing.
//
// Threads: stepBusy is exchanged by the timer callback and cleared by start (GUI). The other
// values are touched only by steps, one at a time (the busy flag and the timer order them);
// they are atomics so that steps on different threads in turn need no further care.

#include <atomic>
#include <cstdint>

namespace engine {

struct StreamState {
    std::atomic<int32_t> stepBusy{0};
    std::atomic<int32_t> lastFrequency{0};
    std::atomic<uint32_t> writePosition{0};
    std::atomic<uint16_t> streamPhase{0};

    // Only while stopped: back to the values of program start (offline renders, tests).
    void resetToProgramStart();
};

// The one stream state of the process.
StreamState& streamState();

}  // namespace engine
