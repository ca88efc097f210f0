#pragma once
// Hears a PipeWire stream's dropouts in the graph's position. The server tells no client that it
// ran dry, but the graph's clock goes on while a stream misses its cycles: between two process
// calls it advances by more than the cycle the stream was last asked to fill. Missed cycles are
// heard as whole cycles of silence, so a lead of half a cycle is one dropout, however many cycles
// it spans.
//
// A stream that wakes late may also read the position of a cycle that has already begun and then
// be called again at once for that cycle, the position standing still: the graph waited for it
// and nothing was lost. So a lead is judged only once the position moves on again.
//
// Thread: the stream's process callback only (plain state, no atomics).

#include <cstdint>

namespace platform {

class GraphCycleWatch {
  public:
    // Forgets the last position: the next cycle() only starts watching again. Call it whenever
    // the stream did not run on purpose (before its first cycle, after it was paused).
    void restart() {
        known = false;
        lead = 0;
    }

    // One process call. `ticks`: the graph's position, counted at `ticksPerSecond` (the driver's
    // rate); `requestedFrames`: what the stream is asked for now, at its own `streamRate`, which
    // may differ from the driver's. True when this call shows that cycles were missed (one call
    // after the jump, once it is clear that the stream did not catch up).
    bool cycle(uint64_t ticks, uint32_t ticksPerSecond, uint64_t requestedFrames,
               uint32_t streamRate) {
        bool missed = false;
        if (known && ticksPerSecond == lastRate && ticks >= lastTicks && expected > 0) {
            const auto moved = static_cast<int64_t>(ticks - lastTicks);
            const auto period = static_cast<int64_t>(expected);
            if (lead > 0 && moved == 0) {
                lead -= period;  // called again for the cycle it read late: catching up
                if (lead * 2 < period) {
                    lead = 0;
                }
            } else {
                missed = lead > 0;  // the graph moved on while the stream was still behind
                lead = (moved - period) * 2 >= period ? moved - period : 0;
            }
        } else {
            lead = 0;
        }
        known = ticksPerSecond > 0 && streamRate > 0;
        lastTicks = ticks;
        lastRate = ticksPerSecond;
        // The position moves by the cycle now starting, which is what the stream was asked for,
        // seen at the driver's rate.
        expected = known ? (requestedFrames * ticksPerSecond + streamRate / 2) / streamRate : 0;
        return missed;
    }

    // The graph's cycle as last asked, in microseconds; 0 before the first cycle.
    uint64_t cycleMicros() const {
        return known && lastRate > 0 ? expected * 1'000'000 / lastRate : 0;
    }

  private:
    bool known = false;
    uint64_t lastTicks = 0;
    uint32_t lastRate = 0;
    uint64_t expected = 0;  // ticks the position should advance by until the next call
    int64_t lead = 0;       // ticks the graph ran ahead of the stream, while judging a jump
};

}  // namespace platform
