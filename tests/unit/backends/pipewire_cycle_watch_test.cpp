// The PipeWire route's dropouts as the graph's position shows them, call by call.
#include "platform/backends/pipewire_cycle_watch.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Call {
    uint64_t moved;      // ticks the graph advanced since the call before
    uint64_t requested;  // frames asked of the stream, at its own rate
    uint32_t ticksPerSecond = 48000;
    bool restartBefore = false;
};

struct Case {
    const char* name;
    uint32_t streamRate;
    std::vector<Call> calls;
    int dropouts;
};

TEST(GraphCycleWatch, CountsEachRunOfMissedCyclesOnce) {
    const Case cases[] = {
        {"one missed cycle", 48000, {{0, 256}, {512, 256}, {256, 256}}, 1},
        {"a stall of many cycles", 48000, {{0, 256}, {4864, 256}, {256, 256}}, 1},
        {"two stalls apart", 48000, {{0, 256}, {512, 256}, {256, 256}, {768, 256}, {256, 256}}, 2},
        // Woken late, it read the next cycle's position, then was called for that cycle at once.
        {"a late wake caught up", 48000, {{0, 256}, {512, 256}, {0, 256}, {256, 256}}, 0},
        {"a late wake caught up partly", 48000, {{0, 256}, {768, 256}, {0, 256}, {256, 256}}, 1},
        // A 22050 Hz stream in a 48000 Hz graph of 256-frame cycles is asked for 117 or 118.
        {"its own rate", 22050, {{0, 118}, {256, 117}, {256, 118}, {512, 117}, {256, 118}}, 1},
        // The position moves by the cycle that was asked for, not by the one asked now.
        {"a shorter cycle", 48000, {{0, 1024}, {1024, 1024}, {1024, 256}, {256, 256}}, 0},
        {"a pause", 48000, {{0, 256}, {96000, 256, 48000, true}, {256, 256}}, 0},
        {"a new graph rate", 48000, {{0, 256}, {1024, 256, 44100}, {256, 256, 44100}}, 0},
    };
    for (const Case& played : cases) {
        platform::GraphCycleWatch watch;
        uint64_t ticks = 1'000'000;
        int counted = 0;
        for (const Call& call : played.calls) {
            if (call.restartBefore) {
                watch.restart();
            }
            ticks += call.moved;
            counted += watch.cycle(ticks, call.ticksPerSecond, call.requested, played.streamRate);
        }
        EXPECT_EQ(counted, played.dropouts) << played.name;
    }
}

}  // namespace
