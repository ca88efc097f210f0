#pragma once
// What the DirectSound stream carries across plays, process-wide: the busy flag that lets one
// step run at a time, the slew-limited frequency, where the next byte goes and the oscillator
// phase. A new play slews from where the last one ended and writes where it stopped writing.
//
// Threads: stepBusy is exchanged by the timer callback and cleared by start (GUI), as is flowing.
// The other values are touched only by steps, one at a time (the busy flag and the timer order
// them); they are atomics so that steps on different threads in turn need no further care.

#include <atomic>
#include <cstdint>

namespace engine {

struct StreamState {
    std::atomic<int32_t> stepBusy{0};
    std::atomic<int32_t> lastFrequency{0};
    std::atomic<uint32_t> writePosition{0};
    std::atomic<uint16_t> streamPhase{0};
    // The phase's fraction below streamPhase, which only the playing aids' frequencies (not
    // whole hertz) move; the designed stream carries it along unchanged.
    std::atomic<uint16_t> phaseFraction{0};
    // This play has written sound: from now on a reader that passes the write position plays
    // what is left of an earlier loop, a gap the listener hears.
    std::atomic<bool> flowing{false};

    // Only while stopped: back to the values of program start (offline renders, tests).
    void resetToProgramStart();
};

// The one stream state of the process.
StreamState& streamState();

}  // namespace engine
