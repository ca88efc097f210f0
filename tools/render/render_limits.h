#pragma once
// How long a render may be: a WAV file's chunk sizes are 32-bit, so its data ends before 4 GiB;
// a MIDI file's delta times reach at most 0x0FFFFFFF ms.

#include <cstdint>

// The longest duration whose recording fits a WAV file at `bytesPerSecond`, counting the
// headers and the buffers the engine queues past the end.
int64_t longestWaveRenderMs(int64_t bytesPerSecond);

// The longest duration whose MIDI recording times every event exactly.
int64_t longestMidiRenderMs();
