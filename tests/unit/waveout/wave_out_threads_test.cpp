// The wave output with its notifier thread: dones come from another thread, and reset returns
// only when every queued header has been posted.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "pcm_format.h"
#include "platform/waveout/virtual_audio_device.h"
#include "platform/waveout/wave_out.h"
#include "recording_notify.h"

using namespace std::chrono_literals;

namespace {

using namespace platform;

TEST(WaveOutNotifierThread, DonesArriveInOrderAndResetPostsTheRestBeforeReturning) {
    VirtualAudioDevice* device = nullptr;
    WaveOut waveOut([&] {
        auto made = std::make_unique<VirtualAudioDevice>();
        device = made.get();
        return made;
    });
    RecordingNotify notify;
    HWAVEOUT handle = nullptr;
    const WaveFormatPcm format = pcmFormat(1, 22050, 8);
    ASSERT_EQ(waveOut.open(&handle, 0, &format, &notify, mm::CALLBACK_WINDOW),
              mm::MMSYSERR_NOERROR);

    std::vector<uint8_t> samples(100, 0x90);
    std::vector<WaveHeader> headers(6);
    for (WaveHeader& header : headers) {
        header.data = samples.data();
        header.bufferLength = static_cast<uint32_t>(samples.size());
        ASSERT_EQ(waveOut.prepareHeader(handle, &header), mm::MMSYSERR_NOERROR);
        ASSERT_EQ(waveOut.write(handle, &header), mm::MMSYSERR_NOERROR);
    }
    device->advanceFrames(250);  // two whole headers and half of the third
    ASSERT_TRUE(notify.waitForDones(2, 5s));

    ASSERT_EQ(waveOut.reset(handle), mm::MMSYSERR_NOERROR);
    std::vector<WaveHeader*> expected;
    for (WaveHeader& header : headers) {
        expected.push_back(&header);
    }
    EXPECT_EQ(notify.dones(), expected);
    ASSERT_EQ(waveOut.close(handle), mm::MMSYSERR_NOERROR);
    EXPECT_EQ(notify.all().back().message, mm::MM_WOM_CLOSE);
}

}  // namespace
