#include "platform/backends/sdl_audio_device.h"

#include <SDL.h>

#include <span>

namespace platform {

bool SdlAudioDevice::open(const AudioFormat& wanted, AudioSource& from) {
    close();
    if (wanted.rate <= 0 || wanted.periodFrames <= 0 || wanted.periodFrames > 32768 ||
        (wanted.channels != 1 && wanted.channels != 2) || (wanted.bits != 8 && wanted.bits != 16)) {
        error = "unsupported audio format";
        return false;
    }
    if (!preferredDriver.empty()) {
        // At the default priority: SDL_AUDIODRIVER, where set, still decides.
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, preferredDriver.c_str(), SDL_HINT_DEFAULT);
    } else {
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);  // SDL's own choice, not the last route's
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = SDL_GetError();
        return false;
    }
    source = &from;
    frames.store(0, std::memory_order_relaxed);

    SDL_AudioSpec asked{};
    asked.freq = wanted.rate;
    asked.format = wanted.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    asked.channels = static_cast<Uint8>(wanted.channels);
    asked.samples = static_cast<Uint16>(wanted.periodFrames);
    asked.callback = &SdlAudioDevice::callback;
    asked.userdata = this;
    SDL_AudioSpec obtained{};
    // Only the period may differ: SDL converts anything else, so the stream stays ours.
    device = SDL_OpenAudioDevice(nullptr, 0, &asked, &obtained, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (device == 0) {
        error = SDL_GetError();
        source = nullptr;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    current = wanted;
    current.periodFrames = obtained.samples;
    error.clear();
    return true;
}

void SdlAudioDevice::start() {
    if (device != 0) {
        SDL_PauseAudioDevice(device, 0);
    }
}

void SdlAudioDevice::stop() {
    // SDL runs the callback under the device lock and checks the pause flag inside it, so once
    // this returns no callback is in progress and the next one plays SDL's own silence.
    if (device != 0) {
        SDL_PauseAudioDevice(device, 1);
    }
}

void SdlAudioDevice::close() {
    if (device == 0) {
        return;
    }
    SDL_CloseAudioDevice(device);
    device = 0;
    source = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudioDevice::lost() const {
    // SDL marks a device it lost as stopped; ours are only ever paused or playing otherwise.
    return device != 0 && SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED;
}

std::string SdlAudioDevice::driverName() const {
    const char* name = SDL_GetCurrentAudioDriver();
    return name != nullptr ? name : "";
}

void SdlAudioDevice::callback(void* self, uint8_t* stream, int length) noexcept {
    auto& owner = *static_cast<SdlAudioDevice*>(self);
    owner.source->fill(std::span<uint8_t>(stream, static_cast<std::size_t>(length)));
    owner.frames.fetch_add(static_cast<uint64_t>(length / owner.current.frameBytes()),
                           std::memory_order_relaxed);
}

}  // namespace platform
