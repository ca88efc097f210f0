// The wave output on a real SDL device, headless: the dummy driver's audio thread for resets at
// arbitrary moments, and the disk driver for the exact bytes a listener would hear.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "pcm_format.h"
#include "platform/backends/sdl_audio_device.h"
#include "platform/waveout/virtual_audio_device.h"
#include "platform/waveout/wave_out.h"
#include "recording_notify.h"

using namespace std::chrono_literals;

namespace {

using namespace platform;

// A wave output that posts from inside the device's pull takes only clocked devices: SDL's
// callback runs on its real-time audio thread, where a post's lock and allocation must not run.
template <typename Device>
using FactoryOf = std::function<std::unique_ptr<Device>()>;
static_assert(
    !std::is_constructible_v<WaveOut, WaveOut::PostDuringPull, FactoryOf<SdlAudioDevice>>);
static_assert(!std::is_constructible_v<WaveOut, WaveOut::PostDuringPull, FactoryOf<AudioDevice>>);
static_assert(
    std::is_constructible_v<WaveOut, WaveOut::PostDuringPull, FactoryOf<VirtualAudioDevice>>);
static_assert(std::is_constructible_v<WaveOut, FactoryOf<SdlAudioDevice>>);

std::unique_ptr<AudioDevice> makeSdlDevice() {
    return std::make_unique<SdlAudioDevice>();
}

// 441 Hz at 44100 Hz, 16-bit stereo: exactly 100 frames a period.
std::vector<uint8_t> steadyTone(std::size_t frames) {
    std::vector<uint8_t> bytes;
    bytes.reserve(frames * 4);
    for (std::size_t frame = 0; frame < frames; ++frame) {
        const double angle = 2.0 * 3.141592653589793 * static_cast<double>(frame % 100) / 100.0;
        const auto value = static_cast<int16_t>(std::lround(12000.0 * std::cos(angle)));
        const auto bits = static_cast<uint16_t>(value);
        for (int channel = 0; channel < 2; ++channel) {
            bytes.push_back(static_cast<uint8_t>(bits & 0xFF));
            bytes.push_back(static_cast<uint8_t>(bits >> 8));
        }
    }
    return bytes;
}

TEST(WaveOutSdl, ResetDuringPlayHandsBackEveryHeaderExactlyOnce) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    WaveOut waveOut(makeSdlDevice);
    RecordingNotify notify;
    HWAVEOUT handle = nullptr;
    const WaveFormatPcm format = pcmFormat(2, 44100, 16);
    ASSERT_EQ(waveOut.open(&handle, mm::WAVE_MAPPER, &format, &notify, mm::CALLBACK_WINDOW),
              mm::MMSYSERR_NOERROR)
        << waveOut.lastDeviceError();

    std::vector<uint8_t> samples(4 * 300, 0x11);
    std::vector<WaveHeader> headers(3);
    std::size_t written = 0;
    for (int round = 0; round < 40; ++round) {
        for (WaveHeader& header : headers) {
            header.data = samples.data();
            header.bufferLength = static_cast<uint32_t>(samples.size());
            ASSERT_EQ(waveOut.prepareHeader(handle, &header), mm::MMSYSERR_NOERROR);
            ASSERT_EQ(waveOut.write(handle, &header), mm::MMSYSERR_NOERROR);
            ++written;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(700 * (round % 12)));
        ASSERT_EQ(waveOut.reset(handle), mm::MMSYSERR_NOERROR);
        const auto dones = notify.dones();
        ASSERT_EQ(dones.size(), written) << "round " << round;
        for (std::size_t i = 0; i < headers.size(); ++i) {
            EXPECT_EQ(dones[written - headers.size() + i], &headers[i]);
        }
        for (WaveHeader& header : headers) {
            EXPECT_EQ(waveOut.unprepareHeader(handle, &header), mm::MMSYSERR_NOERROR);
        }
    }
    ASSERT_EQ(waveOut.close(handle), mm::MMSYSERR_NOERROR);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(notify.all().back().message, mm::MM_WOM_CLOSE);
}

class DiskFile {
  public:
    DiskFile() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "lirveto-disk-XXXXXX").string();
        const int descriptor = mkstemp(pattern.data());
        if (descriptor >= 0) {
            ::close(descriptor);
            path = pattern;
        }
    }
    ~DiskFile() {
        if (!path.empty()) {
            std::filesystem::remove(path);
        }
    }
    std::vector<uint8_t> bytes() const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string path;
};

TEST(WaveOutSdl, TheDiskDriverPlaysExactlyTheBytesWrittenBackToBack) {
    DiskFile disk;
    ASSERT_FALSE(disk.path.empty());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", disk.path.c_str(), 1);

    const std::vector<uint8_t> tone = steadyTone(44100);  // one second
    {
        WaveOut waveOut(makeSdlDevice);
        RecordingNotify notify;
        HWAVEOUT handle = nullptr;
        const WaveFormatPcm format = pcmFormat(2, 44100, 16);
        ASSERT_EQ(waveOut.open(&handle, 0, &format, &notify, mm::CALLBACK_WINDOW),
                  mm::MMSYSERR_NOERROR)
            << waveOut.lastDeviceError();
        std::vector<WaveHeader> quarters(4);
        for (std::size_t i = 0; i < quarters.size(); ++i) {
            quarters[i].data = const_cast<uint8_t*>(tone.data()) + i * tone.size() / 4;
            quarters[i].bufferLength = static_cast<uint32_t>(tone.size() / 4);
            ASSERT_EQ(waveOut.prepareHeader(handle, &quarters[i]), mm::MMSYSERR_NOERROR);
            ASSERT_EQ(waveOut.write(handle, &quarters[i]), mm::MMSYSERR_NOERROR);
        }
        ASSERT_TRUE(notify.waitForDones(4, 20s));
        const std::vector<WaveHeader*> inOrder{&quarters[0], &quarters[1], &quarters[2],
                                               &quarters[3]};
        EXPECT_EQ(notify.dones(), inOrder);
        ASSERT_EQ(waveOut.reset(handle), mm::MMSYSERR_NOERROR);
        ASSERT_EQ(waveOut.close(handle), mm::MMSYSERR_NOERROR);
    }
    unsetenv("SDL_DISKAUDIOFILE");
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    // SDL adds silence before the first callback's data and after the last: find the tone in it.
    const std::vector<uint8_t> played = disk.bytes();
    const auto start = std::search(played.begin(), played.end(),
                                   std::boyer_moore_searcher(tone.begin(), tone.end()));
    ASSERT_NE(start, played.end()) << "the tone is not in the " << played.size() << " bytes played";
    const auto isSilence = [](uint8_t byte) { return byte == 0; };
    EXPECT_TRUE(std::all_of(played.begin(), start, isSilence));
    EXPECT_TRUE(
        std::all_of(start + static_cast<std::ptrdiff_t>(tone.size()), played.end(), isSilence));
    EXPECT_EQ((start - played.begin()) % 4, 0);
}

}  // namespace
