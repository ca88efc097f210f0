#pragma once
// The sound output of this machine: the user's sound server where one runs, through its own
// library so that its buffer is chosen and its dropouts are heard, else ALSA. SDL_AUDIODRIVER,
// when set, names the one SDL driver to use instead (tests use `dummy` and `disk`; a user may
// want SDL's own choice); LIRVETO_SOUND_ROUTE ("PipeWire", "PulseAudio", "ALSA" or "SDL") keeps
// only that way. The output device and latency chosen in Options (output_choice.h) are taken at
// each open.
//
// Thread: GUI (makes a closed device).

#include <memory>

#include "platform/audio_device.h"

namespace platform {

std::unique_ptr<AudioDevice> makeSystemAudioDevice();

}  // namespace platform
