#pragma once
// The DirectSound page's device and its one looping buffer: opened at each start in the output
// format of that moment, one second long, and released at stop. Each failing step of the open
// tells the user why, in the order the steps run.
//
// Threads: GUI. The buffer it hands out is used by the streaming step on the timer thread; the
// engine makes sure no step is using it when releaseBuffer runs.

#include <cstdint>

#include "engine/tone/render_buffer.h"
#include "platform/dsound/dsound_api.h"
#include "platform/message_box.h"
#include "platform/waveout/wave_out_api.h"

namespace engine {

class SoundBufferOwner {
  public:
    SoundBufferOwner(platform::WaveOutApi& waveOut, platform::DirectSoundLibrary& library,
                     platform::MessageBox& messages);
    ~SoundBufferOwner() { releaseSoundBuffer(); }
    SoundBufferOwner(const SoundBufferOwner&) = delete;
    SoundBufferOwner& operator=(const SoundBufferOwner&) = delete;

    // Only while no buffer exists. On false the caller releases what was created.
    bool createSoundBuffer(uintptr_t window, engine::OutputFormat format);
    // Stop and release the buffer, if any.
    void releaseBuffer();
    // Release the device, if any.
    void releaseDevice();
    void releaseSoundBuffer() {
        releaseBuffer();
        releaseDevice();
    }

    platform::IDirectSoundBuffer* soundBuffer() const { return buffer; }
    uint32_t bufferSize() const { return size; }

  private:
    platform::WaveOutApi& waveOut;
    platform::DirectSoundLibrary& library;
    platform::MessageBox& messages;
    platform::IDirectSound* device = nullptr;
    platform::IDirectSoundBuffer* buffer = nullptr;
    uint32_t size = 0;
};

// The second line of the missing-library message names the maker's site.
const char* directSoundMissingText();

}  // namespace engine
