// The SoundFont is read through descriptors a started program does not inherit. A FIFO stands
// in for the file, so each open blocks until the test writes to it and can be looked at while
// it is held.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "platform/backends/fluid_synth_port.h"
#include "platform/backends/sdl_audio_device.h"
#include "support/temporary_folder.h"

namespace {

using namespace std::chrono_literals;

// The flags of this process's descriptor open on `path`, once one is there.
std::optional<unsigned long> flagsOfDescriptorOn(const std::filesystem::path& path) {
    for (int tries = 0; tries < 200; ++tries) {
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            if (std::filesystem::read_symlink(entry.path(), error) != path) {
                continue;
            }
            std::ifstream info("/proc/self/fdinfo/" + entry.path().filename().string());
            std::string key;
            std::string value;
            while (info >> key >> value) {
                if (key == "flags:") {
                    return std::stoul(value, nullptr, 8);
                }
            }
        }
        std::this_thread::sleep_for(50ms);
    }
    return std::nullopt;
}

// Opens the FIFO's writing end once a reader holds it; -1 when none comes within 10 s.
int writerOnceRead(const std::filesystem::path& fifo) {
    for (int tries = 0; tries < 1000; ++tries) {
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            return fd;
        }
        std::this_thread::sleep_for(10ms);
    }
    return -1;
}

TEST(BuiltinSynth, EveryOpenOfTheSoundFontIsCloseOnExec) {
    testing_support::TemporaryFolder folder;
    ASSERT_TRUE(folder.create("soundfont-fifo"));
    const std::filesystem::path fifo = folder.path() / "font.sf2";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    platform::FluidSynthPort port(fifo.string(),
                                  [] { return std::make_unique<platform::SdlAudioDevice>(); });
    // First the header is looked at, then the loader reads the file.
    for (const char* stage : {"header check", "load"}) {
        const int writer = writerOnceRead(fifo);
        ASSERT_GE(writer, 0) << stage << ": the SoundFont was never opened";
        const auto flags = flagsOfDescriptorOn(fifo);
        ASSERT_TRUE(flags.has_value()) << stage;
        EXPECT_NE(*flags & O_CLOEXEC, 0u) << stage << ": an inheritable descriptor";
        static constexpr char header[] = "RIFF\x04\x00\x00\x00sfbkLIST";
        ASSERT_EQ(::write(writer, header, sizeof header - 1),
                  static_cast<ssize_t>(sizeof header - 1));
        ::close(writer);
    }
    // What followed the header was no SoundFont. FluidSynth's other loaders (its own, the DLS
    // one) may then try the file in their own way: let any further open through.
    std::atomic<bool> loadEnded{false};
    std::thread unblocker([&] {
        while (!loadEnded) {
            const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer >= 0) {
                ::close(writer);
            }
            std::this_thread::sleep_for(10ms);
        }
    });
    const bool loaded = port.soundFontLoaded();
    loadEnded = true;
    unblocker.join();
    // The synth is left out, with the reason.
    EXPECT_FALSE(loaded);
    EXPECT_NE(port.loadError().find("cannot load"), std::string::npos) << port.loadError();
}

}  // namespace
