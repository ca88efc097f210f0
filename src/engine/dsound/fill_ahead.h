#pragma once
// Tops the looping buffer up to the stream's lead ahead of the write cursor with one frequency
// and one amplitude throughout, the phase running on from the last write.
//
// Threads: the streaming step's (timer), with the buffer guarded against release.

#include <cstdint>
#include <span>

#include "engine/dsound/stream_layout.h"
#include "engine/dsound/stream_state.h"
#include "engine/tone/wave_table.h"
#include "platform/dsound/dsound_api.h"

namespace engine {

// Where fill ahead reports: the bytes it wrote, in play order, and its failures.
class FillAheadSink {
  public:
    virtual void written(std::span<const uint8_t> first, std::span<const uint8_t> second) = 0;
    virtual void lockFailed() = 0;
    virtual void unlockFailed() = 0;
    // The write cursor had passed the write position after this play's first write: the device
    // read what no step wrote in time.
    virtual void fellBehind() = 0;

  protected:
    ~FillAheadSink() = default;
};

// Writes block + lead target − lead bytes at the state's write position when the lead has fallen
// below the target. A lead above target + block means the write cursor has passed the write
// position (after a start, or steps held up): writing restarts at the write cursor instead of
// waiting for the loop to come round; once the play has written sound that is an underrun
// (FillAheadSink::fellBehind). False after a lock or unlock failure.
bool fillAhead(platform::IDirectSoundBuffer& buffer, const StreamLayout& layout,
               const engine::WaveTable& table, int32_t frequency, int32_t amplitude,
               StreamState& state, FillAheadSink& sink);

// The same with the phase advance per frame given with 16 bits of fraction
// (finePhaseIncrement), for the playing aids' frequencies that are not whole hertz. A whole-hertz
// frequency's increment shifted up by 16 writes exactly what fillAhead writes.
bool fillAheadByStep(platform::IDirectSoundBuffer& buffer, const StreamLayout& layout,
                     const engine::WaveTable& table, uint32_t fineIncrement, int32_t amplitude,
                     StreamState& state, FillAheadSink& sink);

}  // namespace engine
