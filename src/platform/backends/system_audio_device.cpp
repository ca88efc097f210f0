#include "platform/backends/system_audio_device.h"

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/backends/alsa_messages.h"
#include "platform/backends/pulse_audio_device.h"
#include "platform/backends/sdl_audio_device.h"
#include "platform/routed_audio_device.h"

namespace platform {

namespace {

// SDL's ALSA driver, with libasound's own complaints about a missing card kept off stderr: the
// route's failure says why.
class AlsaAudioDevice final : public AudioDevice {
  public:
    bool open(const AudioFormat& format, AudioSource& source) override {
        const QuietAlsaMessages quiet;
        return sdl.open(format, source);
    }
    void start() override { sdl.start(); }
    void stop() override { sdl.stop(); }
    void close() override { sdl.close(); }
    uint64_t framesPlayed() const override { return sdl.framesPlayed(); }
    AudioFormat format() const override { return sdl.format(); }
    std::string lastError() const override { return sdl.lastError(); }
    bool lost() const override { return sdl.lost(); }
    std::string routeName() const override { return "ALSA"; }

  private:
    SdlAudioDevice sdl{"alsa"};
};

std::vector<AudioRoute> systemRoutes() {
    const char* named = std::getenv("SDL_AUDIODRIVER");
    if (named != nullptr && *named != '\0') {
        return {{std::string("SDL's ") + named + " output",
                 [] { return std::make_unique<SdlAudioDevice>(); }}};
    }
    return {{"PulseAudio", [] { return std::make_unique<PulseAudioDevice>(); }},
            {"ALSA", [] { return std::make_unique<AlsaAudioDevice>(); }}};
}

}  // namespace

std::unique_ptr<AudioDevice> makeSystemAudioDevice() {
    return std::make_unique<RoutedAudioDevice>(systemRoutes());
}

}  // namespace platform
