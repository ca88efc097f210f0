// The SoundFont is read through descriptors a started program does not inherit: while the
// system's General MIDI SoundFont loads, every descriptor this process holds on it is looked at.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/backends/fluid_synth_port.h"
#include "platform/backends/sdl_audio_device.h"

namespace {

constexpr unsigned long closeOnExec = 02000000;  // O_CLOEXEC as /proc shows the flags, in octal

struct Seen {
    int descriptors = 0;
    int inheritable = 0;
};

// One look at this process's descriptors on `file`.
void lookAt(const std::filesystem::path& file, Seen& seen) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        if (std::filesystem::read_symlink(entry.path(), error) != file) {
            continue;
        }
        std::ifstream info("/proc/self/fdinfo/" + entry.path().filename().string());
        std::string key;
        std::string value;
        while (info >> key >> value) {
            if (key == "flags:") {
                ++seen.descriptors;
                seen.inheritable += (std::stoul(value, nullptr, 8) & closeOnExec) == 0 ? 1 : 0;
                break;
            }
        }
    }
}

TEST(BuiltinSynth, EveryDescriptorOnTheSoundFontIsCloseOnExec) {
    const std::filesystem::path font = "/usr/share/sounds/sf2/default-GM.sf2";
    if (!std::filesystem::exists(font)) {
        GTEST_SKIP() << "no General MIDI SoundFont at " << font;
    }
    const std::filesystem::path file = std::filesystem::canonical(font);
    Seen seen;
    std::atomic<bool> loaded{false};
    std::thread watcher([&] {
        while (!loaded) {
            lookAt(file, seen);
        }
    });
    platform::FluidSynthPort port(font.string(),
                                  [] { return std::make_unique<platform::SdlAudioDevice>(); });
    const bool ok = port.soundFontLoaded();
    loaded = true;
    watcher.join();
    ASSERT_TRUE(ok) << port.loadError();
    // Loading reads megabytes: the watcher sees the loader's descriptor many times.
    EXPECT_GT(seen.descriptors, 0) << "the load was never caught holding the file";
    EXPECT_EQ(seen.inheritable, 0) << "of " << seen.descriptors << " looks";
}

}  // namespace
