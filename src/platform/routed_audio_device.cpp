#include "platform/routed_audio_device.h"

#include <utility>

namespace platform {

RoutedAudioDevice::RoutedAudioDevice(std::vector<AudioRoute> ways) : routes(std::move(ways)) {}

bool RoutedAudioDevice::open(const AudioFormat& wanted, AudioSource& source) {
    close();
    std::vector<std::pair<std::string, std::string>> reasons;
    for (const AudioRoute& route : routes) {
        std::unique_ptr<AudioDevice> device = route.make();
        if (device == nullptr) {
            continue;
        }
        if (!device->open(wanted, source)) {
            reasons.emplace_back(route.name, device->lastError());
            continue;
        }
        playing = std::move(device);
        playingName = route.name;
        error.clear();
        return true;
    }
    error = noRouteMessage(reasons);
    return false;
}

void RoutedAudioDevice::start() {
    if (playing) {
        playing->start();
    }
}

void RoutedAudioDevice::stop() {
    if (playing) {
        playing->stop();
    }
}

void RoutedAudioDevice::close() {
    if (playing) {
        playing->close();
        playing.reset();
    }
}

uint64_t RoutedAudioDevice::framesPlayed() const {
    return playing ? playing->framesPlayed() : 0;
}

AudioFormat RoutedAudioDevice::format() const {
    return playing ? playing->format() : AudioFormat{};
}

bool RoutedAudioDevice::lost() const {
    return playing && playing->lost();
}

uint64_t RoutedAudioDevice::serverUnderruns() const {
    return playing ? playing->serverUnderruns() : 0;
}

int32_t RoutedAudioDevice::serverBufferMs() const {
    return playing ? playing->serverBufferMs() : 0;
}

std::string RoutedAudioDevice::routeName() const {
    if (!playing) {
        return {};
    }
    const std::string own = playing->routeName();
    return own.empty() ? playingName : own;
}

std::string noRouteMessage(const std::vector<std::pair<std::string, std::string>>& reasons) {
    std::string tried;
    for (std::size_t i = 0; i < reasons.size(); ++i) {
        if (i > 0) {
            tried += i + 1 == reasons.size() ? " and " : ", ";
        }
        tried += reasons[i].first;
    }
    std::string text = "No sound server or sound device could be opened";
    text +=
        tried.empty() ? "." : ": " + tried + (reasons.size() == 1 ? " was" : " were") + " tried.";
    text += " Start your sound server, or pick another device in Options.";
    for (const auto& [route, reason] : reasons) {
        if (reason.empty()) {
            continue;
        }
        // A route's own reason may name it already ("PulseAudio: Connection refused").
        const bool named = reason.compare(0, route.size(), route) == 0;
        text += "\n" + (named ? reason : route + ": " + reason);
    }
    return text;
}

}  // namespace platform
