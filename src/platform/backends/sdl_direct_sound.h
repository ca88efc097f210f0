#pragma once
// The DirectSound library the DirectSound page plays through: each buffer on an SDL2 device.

#include <memory>

#include "platform/dsound/dsound_api.h"

namespace platform {

// GUI thread.
std::unique_ptr<platform::DirectSoundLibrary> makeSdlDirectSound();

}  // namespace platform
