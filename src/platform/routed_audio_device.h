#pragma once
// The sound output over the ways a desktop may offer it, tried in order at every open: the first
// route that opens plays, the others stay closed. A route that went away (its server stopped) is
// given up at the next open, which tries them all again from the first, so Play after a server
// came back finds it.
//
// Thread: as AudioDevice says; the route devices are called on the same threads.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio_device.h"

namespace platform {

struct AudioRoute {
    std::string name;  // in a user's words: "PipeWire", "PulseAudio", "ALSA"
    AudioDeviceFactory make;
};

class RoutedAudioDevice final : public AudioDevice {
  public:
    explicit RoutedAudioDevice(std::vector<AudioRoute> routes);
    ~RoutedAudioDevice() override { close(); }
    RoutedAudioDevice(const RoutedAudioDevice&) = delete;
    RoutedAudioDevice& operator=(const RoutedAudioDevice&) = delete;

    // False when no route opened; lastError() then names every route tried and its reason.
    bool open(const AudioFormat& format, AudioSource& source) override;
    void start() override;
    void stop() override;
    void close() override;
    uint64_t framesPlayed() const override;
    AudioFormat format() const override;
    std::string lastError() const override { return error; }
    bool lost() const override;
    uint64_t serverUnderruns() const override;
    int32_t serverBufferMs() const override;
    std::string routeName() const override;

  private:
    std::vector<AudioRoute> routes;
    std::unique_ptr<AudioDevice> playing;  // the route that opened; null while closed
    std::string playingName;
    std::string error;
};

// The message for a machine where no route opened: what is missing, then each route's reason.
std::string noRouteMessage(const std::vector<std::pair<std::string, std::string>>& reasons);

}  // namespace platform
