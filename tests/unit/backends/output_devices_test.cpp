// The output devices the Options sheet lists, from a private server of each kind.
#include "platform/backends/output_devices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "support/private_sound_server.h"

namespace {

using testing_support::SoundServerKind;

bool listsOut(const std::vector<platform::OutputDevice>& devices) {
    return std::any_of(devices.begin(), devices.end(), [](const platform::OutputDevice& device) {
        return device.name == "out" && !device.description.empty();
    });
}

class OutputDevices : public ::testing::TestWithParam<SoundServerKind> {};

TEST_P(OutputDevices, TheServersSinkIsListedByNameWithADescription) {
    testing_support::PrivateSoundServer server(GetParam(), LIRVETO_SOUND_SERVER_SCRIPT);
    REQUIRE_SOUND_SERVER(server);
    EXPECT_TRUE(listsOut(platform::listOutputDevices()));
    if (GetParam() == SoundServerKind::pipeWire) {
        // Without its PulseAudio layer, PipeWire's own registry tells.
        testing_support::ScopedEnvironmentVariable pulse("PULSE_SERVER");
        pulse.set("unix:/nonexistent/lirveto/native");
        EXPECT_TRUE(listsOut(platform::listOutputDevices()));
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, OutputDevices,
                         ::testing::Values(SoundServerKind::pulseAudio, SoundServerKind::pipeWire),
                         [](const auto& each) {
                             return std::string(testing_support::soundServerName(each.param));
                         });

TEST(OutputDevicesWithoutAServer, ListNothingAtOnce) {
    testing_support::ScopedEnvironmentVariable pulse("PULSE_SERVER");
    testing_support::ScopedEnvironmentVariable pipeWire("PIPEWIRE_RUNTIME_DIR");
    pulse.set("unix:/nonexistent/lirveto/native");
    pipeWire.set("/nonexistent/lirveto");
    const auto asking = std::chrono::steady_clock::now();
    EXPECT_TRUE(platform::listOutputDevices().empty());
    EXPECT_LT(std::chrono::steady_clock::now() - asking, std::chrono::milliseconds(1200));
}

}  // namespace
