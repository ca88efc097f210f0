#pragma once
// How often a sound output ran dry while sound was flowing: the callback wanted bytes and the
// stream had none queued, so the listener heard a gap. Counted process-wide so that a long run
// can say at exit whether the output ever starved.
//
// Thread: any thread. noteUnderrun is lock-free and allocates nothing: audio callbacks call it.

#include <cstdint>

namespace platform {

void noteUnderrun() noexcept;
uint64_t underrunCount() noexcept;

// The sound server's buffer an output last settled on, in ms (0: none told yet), so that the
// program can say what a buffer raised by dropouts now is.
void noteServerBuffer(int32_t ms) noexcept;
int32_t serverBufferInForce() noexcept;

}  // namespace platform
