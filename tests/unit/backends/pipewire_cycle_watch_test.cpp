// The PipeWire route's dropouts as the graph's position shows them, call by call.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "platform/backends/pipewire_cycle_watch.h"

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

// GoogleTest looks for this name.
// NOLINTNEXTLINE(readability-identifier-naming)
void PrintTo(const Case& played, std::ostream* out) {
    *out << played.name;
}

class GraphPosition : public ::testing::TestWithParam<Case> {};

TEST_P(GraphPosition, CountsEachRunOfMissedCyclesOnce) {
    platform::GraphCycleWatch watch;
    uint64_t ticks = 1'000'000;
    int counted = 0;
    for (const Call& call : GetParam().calls) {
        if (call.restartBefore) {
            watch.restart();
        }
        ticks += call.moved;
        counted += watch.cycle(ticks, call.ticksPerSecond, call.requested, GetParam().streamRate);
    }
    EXPECT_EQ(counted, GetParam().dropouts);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, GraphPosition,
    ::testing::Values(
        Case{"SteadyCycles", 48000, {{0, 256}, {256, 256}, {256, 256}, {256, 256}}, 0},
        Case{"OneMissedCycle", 48000, {{0, 256}, {256, 256}, {512, 256}, {256, 256}}, 1},
        Case{"AStallOfManyCyclesIsOneDropout", 48000, {{0, 256}, {4864, 256}, {256, 256}}, 1},
        Case{
            "TwoStallsApart", 48000, {{0, 256}, {512, 256}, {256, 256}, {768, 256}, {256, 256}}, 2},
        // Woken late, it read the next cycle's position, then was called for that cycle at once.
        Case{"ALateWakeThatCaughtUp", 48000, {{0, 256}, {512, 256}, {0, 256}, {256, 256}}, 0},
        Case{"ALateWakeThatCaughtUpPartly", 48000, {{0, 256}, {768, 256}, {0, 256}, {256, 256}}, 1},
        // A 22050 Hz stream in a 48000 Hz graph of 256-frame cycles is asked for 117 or 118.
        Case{"AStreamAtItsOwnRate", 22050, {{0, 118}, {256, 117}, {256, 118}, {256, 117}}, 0},
        Case{"AStreamAtItsOwnRateMissingACycle", 22050, {{0, 118}, {512, 117}, {256, 118}}, 1},
        // The position moves by the cycle that was asked for, not by the one asked now.
        Case{"TheCycleShrinks", 48000, {{0, 1024}, {1024, 1024}, {1024, 256}, {256, 256}}, 0},
        Case{"APauseIsNoDropout",
             48000,
             {{0, 256}, {256, 256}, {96000, 256, 48000, true}, {256, 256}},
             0},
        Case{"TheGraphChangedItsRate",
             48000,
             {{0, 256}, {256, 256}, {1024, 256, 44100}, {256, 256, 44100}},
             0}),
    [](const ::testing::TestParamInfo<Case>& played) { return std::string(played.param.name); });

TEST(GraphPosition, TellsTheCycleItLastSawInMicroseconds) {
    platform::GraphCycleWatch watch;
    EXPECT_EQ(watch.cycleMicros(), 0U);
    watch.cycle(1000, 48000, 235, 22050);  // 235 frames at 22050 Hz: 512 ticks at 48000
    EXPECT_EQ(watch.cycleMicros(), 10666U);
}

}  // namespace
