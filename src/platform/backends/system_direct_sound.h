#pragma once
// The DirectSound library the DirectSound page plays through: each buffer on the sound output
// of this machine.

#include <memory>

#include "platform/dsound/dsound_api.h"

namespace platform {

// GUI thread.
std::unique_ptr<platform::DirectSoundLibrary> makeSystemDirectSound();

}  // namespace platform
