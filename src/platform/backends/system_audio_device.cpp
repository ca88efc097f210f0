#include "platform/backends/system_audio_device.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/backends/alsa_messages.h"
#include "platform/backends/pipewire_audio_device.h"
#include "platform/backends/pulse_audio_device.h"
#include "platform/backends/sdl_audio_device.h"
#include "platform/output_choice.h"
#include "platform/routed_audio_device.h"

namespace platform {

namespace {

// An SDL driver (ALSA, or SDL's own choice), with libasound's complaints kept off stderr while it
// opens and plays: a failed open says why in its own words, and SDL's ALSA driver looks for
// cards again and again while a device is open.
class QuietSdlAudioDevice final : public AudioDevice {
  public:
    QuietSdlAudioDevice(std::string driver, std::string route)
        : sdl(std::move(driver)), name(std::move(route)) {}
    bool open(const AudioFormat& format, AudioSource& source) override {
        quiet.emplace();
        const bool opened = sdl.open(format, source);
        if (!opened) {
            quiet.reset();
        }
        return opened;
    }
    void start() override { sdl.start(); }
    void stop() override { sdl.stop(); }
    void close() override {
        sdl.close();
        quiet.reset();
    }
    uint64_t framesPlayed() const override { return sdl.framesPlayed(); }
    AudioFormat format() const override { return sdl.format(); }
    std::string lastError() const override { return sdl.lastError(); }
    bool lost() const override { return sdl.lost(); }
    std::string routeName() const override { return name; }

  private:
    SdlAudioDevice sdl;
    std::string name;
    std::optional<QuietAlsaMessages> quiet;
};

std::vector<AudioRoute> allRoutes() {
    // The server's own libraries first, SDL's own choice last. The routes are made at each open,
    // so they take the device chosen at that time.
    return {
        {"PipeWire", [] { return std::make_unique<PipeWireDevice>(outputChoice().device); }},
        {"PulseAudio", [] { return std::make_unique<PulseAudioDevice>(outputChoice().device); }},
        {"ALSA", [] { return std::make_unique<QuietSdlAudioDevice>("alsa", "ALSA"); }},
        {"SDL", [] { return std::make_unique<QuietSdlAudioDevice>("", "SDL"); }}};
}

std::vector<AudioRoute> systemRoutes() {
    const char* named = std::getenv("SDL_AUDIODRIVER");
    if (named != nullptr && *named != '\0') {
        return {{std::string("SDL's ") + named + " output",
                 [] { return std::make_unique<SdlAudioDevice>(); }}};
    }
    std::vector<AudioRoute> routes = allRoutes();
    // LIRVETO_SOUND_ROUTE names the one way to use (PipeWire's PulseAudio layer, say); a name
    // that is none of them leaves every way, so sound still plays.
    const char* only = std::getenv("LIRVETO_SOUND_ROUTE");
    if (only != nullptr) {
        const auto chosen = std::find_if(routes.begin(), routes.end(), [only](const AudioRoute& r) {
            return ::strcasecmp(r.name.c_str(), only) == 0;
        });
        if (chosen != routes.end()) {
            return {*chosen};
        }
    }
    return routes;
}

// The routes with the latency of the user's choice: a format that leaves the server's buffer to
// the route gets the fixed latency chosen, if one was.
class ChosenOutputDevice final : public AudioDevice {
  public:
    ChosenOutputDevice() : routed(systemRoutes()) {}
    bool open(const AudioFormat& format, AudioSource& source) override {
        AudioFormat asked = format;
        if (asked.serverBufferMs == 0) {
            asked.serverBufferMs = outputChoice().latencyMs;
        }
        return routed.open(asked, source);
    }
    void start() override { routed.start(); }
    void stop() override { routed.stop(); }
    void close() override { routed.close(); }
    uint64_t framesPlayed() const override { return routed.framesPlayed(); }
    AudioFormat format() const override { return routed.format(); }
    std::string lastError() const override { return routed.lastError(); }
    bool lost() const override { return routed.lost(); }
    uint64_t serverUnderruns() const override { return routed.serverUnderruns(); }
    int32_t serverBufferMs() const override { return routed.serverBufferMs(); }
    std::string routeName() const override { return routed.routeName(); }

  private:
    RoutedAudioDevice routed;
};

}  // namespace

std::unique_ptr<AudioDevice> makeSystemAudioDevice() {
    return std::make_unique<ChosenOutputDevice>();
}

}  // namespace platform
