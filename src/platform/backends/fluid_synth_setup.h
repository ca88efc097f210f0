#pragma once
// The General MIDI synth as the built-in device makes it: FluidSynth's settings, the gain, the
// SoundFont choice and a loader that opens the SoundFont close-on-exec. Shared by the live
// device and by offline renders, so that both sound alike.
//
// Threads: makeGmSynth on any thread but audio; playShortMessage and renderChunks where the
// synth is used (FluidSynth's API is thread-safe).

#include <cstdint>
#include <string>

#include "platform/midiout_api.h"
#include "platform/mm_result.h"

struct _fluid_hashtable_t;
struct _fluid_synth_t;

namespace platform {

// A synth and the settings it was made with; both deleted with it.
class GmSynth {
  public:
    GmSynth() = default;
    ~GmSynth();
    GmSynth(GmSynth&& other) noexcept;
    GmSynth& operator=(GmSynth&& other) noexcept;
    GmSynth(const GmSynth&) = delete;
    GmSynth& operator=(const GmSynth&) = delete;

    _fluid_synth_t* synth() const { return made; }
    explicit operator bool() const { return made != nullptr; }

  private:
    friend GmSynth makeGmSynth(const std::string& soundFont, int32_t rate, std::string& why);
    _fluid_hashtable_t* settings = nullptr;
    _fluid_synth_t* made = nullptr;
};

// A synth at `rate` frames per second playing `soundFont` (empty: FluidSynth's default, which
// Debian points at its General MIDI SoundFont). On failure an empty one, with `why` in words for
// the user: which file was looked for and how to get one.
GmSynth makeGmSynth(const std::string& soundFont, int32_t rate, std::string& why);

// Plays a MIDI short message (status in the low byte) as a MIDI device would.
mm::MmResult playShortMessage(_fluid_synth_t* synth, uint32_t message);

// Renders `frames` stereo 16-bit frames into `samples` in 64-frame chunks, so that a message sent
// between two calls sounds at the next chunk, scaled by `gain` (0..0xFFFF, full at 0xFFFF).
void renderChunks(_fluid_synth_t* synth, int16_t* samples, int32_t frames, int32_t gain) noexcept;

// The same undithered, as the synth's own floats (full scale 1), for deeper samples than 16 bits.
void renderFloatChunks(_fluid_synth_t* synth, float* samples, int32_t frames,
                       int32_t gain) noexcept;

// What the built-in synth says of itself, played live or offline.
MidiOutCaps builtInSynthCaps();

}  // namespace platform
