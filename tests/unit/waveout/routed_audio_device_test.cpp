// The output tries its routes in order at every open and speaks for the one that opened.

#include "platform/routed_audio_device.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::AudioFormat;
using platform::AudioRoute;
using platform::RoutedAudioDevice;

struct RouteState {
    bool opens = true;
    bool lost = false;
    int made = 0;
    int opened = 0;
};

class StubDevice final : public platform::AudioDevice {
  public:
    StubDevice(RouteState& of, std::string why) : state(of), reason(std::move(why)) {}
    bool open(const AudioFormat&, platform::AudioSource&) override {
        state.opened += state.opens ? 1 : 0;
        return state.opens;
    }
    void start() override {}
    void stop() override {}
    void close() override {}
    uint64_t framesPlayed() const override { return 0; }
    AudioFormat format() const override { return {}; }
    std::string lastError() const override { return reason; }
    bool lost() const override { return state.lost; }

  private:
    RouteState& state;
    std::string reason;
};

struct Silence final : platform::AudioSource {
    void fill(std::span<uint8_t> out) noexcept override { std::fill(out.begin(), out.end(), 0); }
};

struct Routes {
    RouteState pipewire, pulse, alsa;
    RoutedAudioDevice device{{route("PipeWire", pipewire, "Host is down"),
                              route("PulseAudio", pulse, "PulseAudio: Connection refused"),
                              route("ALSA", alsa, "No such file or directory")}};

    static AudioRoute route(const char* name, RouteState& state, const char* reason) {
        return {name, [&state, reason] {
                    ++state.made;
                    return std::make_unique<StubDevice>(state, reason);
                }};
    }
};

TEST(RoutedAudioDevice, TheFirstRouteThatOpensPlaysAndLaterOnesAreNotTried) {
    Routes routes;
    Silence source;
    routes.pipewire.opens = false;
    ASSERT_TRUE(routes.device.open({}, source));
    EXPECT_EQ(routes.device.routeName(), "PulseAudio");
    EXPECT_EQ(routes.alsa.made, 0);

    // The server went away: the next open starts from the first route again.
    routes.pulse.lost = true;
    EXPECT_TRUE(routes.device.lost());
    routes.pipewire.opens = true;
    ASSERT_TRUE(routes.device.open({}, source));
    EXPECT_EQ(routes.device.routeName(), "PipeWire");
    EXPECT_FALSE(routes.device.lost());
}

TEST(RoutedAudioDevice, WhenNoRouteOpensTheMessageSaysWhatWasTriedAndEachReason) {
    Routes routes;
    Silence source;
    routes.pipewire.opens = routes.pulse.opens = routes.alsa.opens = false;
    EXPECT_FALSE(routes.device.open({}, source));
    EXPECT_EQ(routes.device.lastError(),
              "No sound server or sound device could be opened: PipeWire, PulseAudio and ALSA "
              "were tried. Start your sound server, or pick another device in Options.\n"
              "PipeWire: Host is down\nPulseAudio: Connection refused\n"
              "ALSA: No such file or directory");
    EXPECT_EQ(routes.device.routeName(), "");
    EXPECT_FALSE(routes.device.lost());
}

}  // namespace
