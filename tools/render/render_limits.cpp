#include "render_limits.h"

#include <limits>

#include "engine/midi/midi_engine.h"
#include "engine/midi/midi_track_event.h"
#include "engine/wave/wave_engine.h"

namespace {

// RIFF header, "WAVE", "fmt " with its 16-byte record, "fact" with its count, "data" header.
constexpr int64_t kWaveHeaderBytes = 8 + 4 + (8 + 16) + (8 + 4) + 8;
// A chunk ends at most here: its size field is 32-bit and an odd chunk takes a pad byte.
constexpr int64_t kLargestFileEnd = int64_t{std::numeric_limits<uint32_t>::max()} - 1;
// Both buffers are appended to the recording when queued, ahead of the play position, and one
// more may be queued just before Stop.
constexpr int64_t kQueuedPastTheEnd = int64_t{3} * engine::WaveEngine::kBufferBytes;

}  // namespace

int64_t longestWaveRenderMs(int64_t bytesPerSecond) {
    const int64_t dataBytes = kLargestFileEnd - kWaveHeaderBytes - kQueuedPastTheEnd;
    return bytesPerSecond > 0 ? dataBytes * 1000 / bytesPerSecond : 0;
}

int64_t longestMidiRenderMs() {
    // The first tick strikes the note; a pointer that then stands still sends nothing until the
    // note off at Stop, timed at the last tick: the longest delta a render can need. That tick
    // may lie kLongestTicks after the first, and Stop come just short of the tick after it. (The
    // track, at most 32 bytes a tick, stays far within its 32-bit length.)
    using engine::MidiEngine;
    constexpr int64_t kLongestTicks = engine::kLongestDelta / MidiEngine::kDeltaPerTick;
    return (kLongestTicks + 2) * MidiEngine::kTickMs - 1;
}
