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

}  // namespace platform
