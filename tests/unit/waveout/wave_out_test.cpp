// The wave output on a virtual clock: headers play back to back, each done arrives when its last
// byte has played, reset hands everything back, and nothing is posted after close.

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <thread>
#include <vector>

#include "pcm_format.h"
#include "platform/audio_underruns.h"
#include "platform/thread_owner.h"
#include "platform/waveout/virtual_audio_device.h"
#include "platform/waveout/wave_out.h"
#include "recording_notify.h"

namespace {

using namespace platform;

struct Buffer {
    std::vector<uint8_t> bytes;
    WaveHeader header;

    Buffer(std::size_t length, uint8_t first) : bytes(length) {
        std::iota(bytes.begin(), bytes.end(), first);
        header.data = bytes.data();
        header.bufferLength = static_cast<uint32_t>(length);
    }
};

class WaveOutTest : public ::testing::Test {
  protected:
    WaveOut waveOut{WaveOut::postDuringPull, [this] {
                        auto made = std::make_unique<VirtualAudioDevice>();
                        made->keepPulled(true);
                        if (!refusal.empty()) {
                            made->refuseOpen(refusal);
                        }
                        device = made.get();
                        ++devicesMade;
                        return made;
                    }};
    VirtualAudioDevice* device = nullptr;
    int devicesMade = 0;
    std::string refusal;
    RecordingNotify notify;
    HWAVEOUT handle = nullptr;

    void openAs(const WaveFormatPcm& format) {
        ASSERT_EQ(waveOut.open(&handle, mm::WAVE_MAPPER, &format, &notify, mm::CALLBACK_WINDOW),
                  mm::MMSYSERR_NOERROR);
    }

    void queue(Buffer& buffer) {
        ASSERT_EQ(waveOut.prepareHeader(handle, &buffer.header), mm::MMSYSERR_NOERROR);
        ASSERT_EQ(waveOut.write(handle, &buffer.header), mm::MMSYSERR_NOERROR);
    }
};

TEST_F(WaveOutTest, MapperAndDeviceZeroOfferSoftwareVolumeOtherDevicesDoNotExist) {
    for (uint32_t id : {mm::WAVE_MAPPER, 0u}) {
        WaveOutCaps caps;
        ASSERT_EQ(waveOut.getDevCaps(id, &caps), mm::MMSYSERR_NOERROR);
        EXPECT_NE(caps.support & mm::WAVECAPS_VOLUME, 0u);
        EXPECT_EQ(caps.channels, 2);
        EXPECT_NE(caps.productName[0], '\0');
    }
    WaveOutCaps caps;
    EXPECT_EQ(waveOut.getDevCaps(1, &caps), mm::MMSYSERR_BADDEVICEID);
    EXPECT_EQ(waveOut.getDevCaps(0, nullptr), mm::MMSYSERR_INVALPARAM);
}

TEST_F(WaveOutTest, OpenRefusesWhatCannotPlayAndOpensNothingForAQuery) {
    WaveFormatPcm format = pcmFormat(2, 44100, 16);
    format.blockAlign = 2;
    EXPECT_EQ(waveOut.open(&handle, 0, &format, &notify, mm::CALLBACK_WINDOW),
              mm::WAVERR_BADFORMAT);
    format = pcmFormat(1, 22050, 12);
    EXPECT_EQ(waveOut.open(&handle, 0, &format, &notify, mm::CALLBACK_WINDOW),
              mm::WAVERR_BADFORMAT);
    format = pcmFormat(1, 22050, 8);
    format.formatTag = 2;
    EXPECT_EQ(waveOut.open(&handle, 0, &format, &notify, mm::CALLBACK_WINDOW),
              mm::WAVERR_BADFORMAT);

    format = pcmFormat(2, 44100, 16);
    EXPECT_EQ(waveOut.open(nullptr, 0, &format, nullptr, mm::WAVE_FORMAT_QUERY),
              mm::MMSYSERR_NOERROR);
    EXPECT_EQ(waveOut.open(&handle, 0, &format, nullptr, mm::CALLBACK_WINDOW),
              mm::MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveOut.open(&handle, 3, &format, &notify, mm::CALLBACK_WINDOW),
              mm::MMSYSERR_BADDEVICEID);
    EXPECT_EQ(waveOut.open(&handle, 0, nullptr, &notify, mm::CALLBACK_WINDOW),
              mm::MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveOut.open(&handle, 0, &format, &notify, 0x00030000), mm::MMSYSERR_INVALFLAG);
    EXPECT_EQ(devicesMade, 0);
    EXPECT_TRUE(notify.all().empty());
}

TEST_F(WaveOutTest, ADeviceThatRefusesLeavesNoHandleAndSaysAllocated) {
    refusal = "device busy";
    const WaveFormatPcm format = pcmFormat(2, 44100, 16);
    handle = reinterpret_cast<HWAVEOUT>(&notify);
    EXPECT_EQ(waveOut.open(&handle, 0, &format, &notify, mm::CALLBACK_WINDOW),
              mm::MMSYSERR_ALLOCATED);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(waveOut.lastDeviceError(), "device busy");
    EXPECT_TRUE(notify.all().empty());
}

TEST_F(WaveOutTest, HeadersFollowThePrepareWriteUnprepareRules) {
    openAs(pcmFormat(1, 22050, 8));
    Buffer buffer(100, 1);
    EXPECT_EQ(waveOut.write(handle, &buffer.header), mm::WAVERR_UNPREPARED);
    queue(buffer);
    EXPECT_EQ(waveOut.write(handle, &buffer.header), mm::WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOut.unprepareHeader(handle, &buffer.header), mm::WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOut.close(handle), mm::WAVERR_STILLPLAYING);

    device->advanceFrames(100);
    EXPECT_EQ(buffer.header.flags & (mm::WHDR_DONE | mm::WHDR_INQUEUE), mm::WHDR_DONE);
    EXPECT_EQ(waveOut.unprepareHeader(handle, &buffer.header), mm::MMSYSERR_NOERROR);
    EXPECT_EQ(buffer.header.flags & mm::WHDR_PREPARED, 0u);
    EXPECT_EQ(waveOut.close(handle), mm::MMSYSERR_NOERROR);

    EXPECT_EQ(waveOut.write(handle, &buffer.header), mm::MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOut.reset(handle), mm::MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOut.close(handle), mm::MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOut.breakLoop(nullptr), mm::MMSYSERR_INVALHANDLE);
}

TEST_F(WaveOutTest, HeadersPlayBackToBackAndEachIsDoneWhenItsLastByteHasPlayed) {
    openAs(pcmFormat(1, 22050, 8));  // one byte per frame
    Buffer first(1000, 0), second(500, 7), third(2205, 3);
    queue(first);
    queue(second);
    queue(third);

    device->advanceFrames(999);
    EXPECT_TRUE(notify.dones().empty());
    device->advanceFrames(1);
    EXPECT_EQ(notify.dones(), std::vector<WaveHeader*>{&first.header});
    device->advanceFrames(499);
    EXPECT_EQ(notify.dones().size(), 1u);
    device->advanceFrames(1 + 2204);
    EXPECT_EQ(notify.dones().size(), 2u);
    device->advanceFrames(1 + 10);
    EXPECT_EQ(notify.dones(),
              (std::vector<WaveHeader*>{&first.header, &second.header, &third.header}));

    std::vector<uint8_t> expected = first.bytes;
    expected.insert(expected.end(), second.bytes.begin(), second.bytes.end());
    expected.insert(expected.end(), third.bytes.begin(), third.bytes.end());
    expected.insert(expected.end(), 10, 0x80);  // then 8-bit silence
    EXPECT_EQ(device->pulledBytes(), expected);

    const auto posts = notify.all();
    EXPECT_EQ(posts.front().message, mm::MM_WOM_OPEN);
    for (const Posted& posted : posts) {
        if (posted.message == mm::MM_WOM_DONE) {
            EXPECT_EQ(posted.flags & (mm::WHDR_DONE | mm::WHDR_INQUEUE), mm::WHDR_DONE);
        }
    }
}

TEST_F(WaveOutTest, DoneTimeIsByteCountOverByteRate) {
    openAs(pcmFormat(2, 44100, 16));  // 176400 bytes per second
    Buffer quarter(44100, 0), tenth(17640, 0);
    queue(quarter);
    queue(tenth);
    device->advanceToMs(249);
    EXPECT_TRUE(notify.dones().empty());
    device->advanceToMs(250);
    EXPECT_EQ(notify.dones().size(), 1u);
    device->advanceToMs(349);
    EXPECT_EQ(notify.dones().size(), 1u);
    device->advanceToMs(350);
    EXPECT_EQ(notify.dones().size(), 2u);
    EXPECT_EQ(device->framesPlayed(), 350u * 44100 / 1000);
}

TEST_F(WaveOutTest, ResetHandsBackEveryQueuedHeaderInOrderAndStartsAfresh) {
    openAs(pcmFormat(1, 22050, 8));
    Buffer playing(1000, 0), waiting(1000, 50), later(300, 9);
    queue(playing);
    queue(waiting);
    device->advanceFrames(400);  // part of the first has played

    EXPECT_EQ(waveOut.reset(handle), mm::MMSYSERR_NOERROR);
    EXPECT_EQ(notify.dones(), (std::vector<WaveHeader*>{&playing.header, &waiting.header}));
    EXPECT_EQ(playing.header.flags & mm::WHDR_INQUEUE, 0u);
    EXPECT_EQ(waiting.header.flags & mm::WHDR_INQUEUE, 0u);

    // The output goes on playing after a reset; what is written next starts at its first byte.
    queue(later);
    device->advanceFrames(300);
    EXPECT_EQ(notify.dones().size(), 3u);
    const std::vector<uint8_t>& pulled = device->pulledBytes();
    ASSERT_EQ(pulled.size(), 700u);
    EXPECT_TRUE(std::equal(later.bytes.begin(), later.bytes.end(), pulled.begin() + 400));
    EXPECT_EQ(waveOut.close(handle), mm::MMSYSERR_NOERROR);
}

TEST_F(WaveOutTest, AGapAfterSoundCountsAsOneUnderrunButTheQuietBeforeAndAfterResetDoesNot) {
    openAs(pcmFormat(1, 22050, 8));
    const uint64_t before = underrunCount();
    device->advanceFrames(500);  // nothing written yet: waiting, not starving
    EXPECT_EQ(underrunCount(), before);

    Buffer first(300, 0), second(300, 1), third(300, 2);
    queue(first);
    device->advanceFrames(300);  // exactly used up: no gap heard yet
    EXPECT_EQ(underrunCount(), before);
    device->advanceFrames(700);  // ran dry for 700 frames in several pulls: one gap
    EXPECT_EQ(underrunCount(), before + 1);

    queue(second);
    device->advanceFrames(400);  // plays, then runs dry again in the same pull
    EXPECT_EQ(underrunCount(), before + 2);

    queue(third);
    device->advanceFrames(100);
    EXPECT_EQ(waveOut.reset(handle), mm::MMSYSERR_NOERROR);
    device->advanceFrames(1000);  // stopped on purpose
    EXPECT_EQ(underrunCount(), before + 2);
    EXPECT_EQ(waveOut.close(handle), mm::MMSYSERR_NOERROR);
}

TEST_F(WaveOutTest, NothingIsDoneAfterClose) {
    openAs(pcmFormat(1, 22050, 8));
    Buffer buffer(1000, 0);
    queue(buffer);
    ASSERT_EQ(waveOut.reset(handle), mm::MMSYSERR_NOERROR);
    ASSERT_EQ(waveOut.close(handle), mm::MMSYSERR_NOERROR);
    const auto posts = notify.all();
    ASSERT_EQ(posts.size(), 3u);
    EXPECT_EQ(posts[1].message, mm::MM_WOM_DONE);
    EXPECT_EQ(posts[2].message, mm::MM_WOM_CLOSE);
}

TEST_F(WaveOutTest, DestroyingTheOutputWithHeadersQueuedPostsNothingMore) {
    auto owned = std::make_unique<WaveOut>(WaveOut::postDuringPull,
                                           [] { return std::make_unique<VirtualAudioDevice>(); });
    const WaveFormatPcm format = pcmFormat(1, 22050, 8);
    ASSERT_EQ(owned->open(&handle, 0, &format, &notify, mm::CALLBACK_WINDOW), mm::MMSYSERR_NOERROR);
    Buffer buffer(1000, 0);
    ASSERT_EQ(owned->prepareHeader(handle, &buffer.header), mm::MMSYSERR_NOERROR);
    ASSERT_EQ(owned->write(handle, &buffer.header), mm::MMSYSERR_NOERROR);
    owned.reset();
    EXPECT_EQ(notify.all().size(), 1u);  // MM_WOM_OPEN only
}

TEST_F(WaveOutTest, VolumeIsAppliedPerChannelAndFullVolumeLeavesBytesUntouched) {
    openAs(pcmFormat(2, 22050, 16));
    // Frames of (left 20000, right -20000).
    Buffer buffer(8, 0);
    for (std::size_t frame = 0; frame < 2; ++frame) {
        buffer.bytes[frame * 4 + 0] = 0x20;  // 20000 = 0x4E20
        buffer.bytes[frame * 4 + 1] = 0x4E;
        buffer.bytes[frame * 4 + 2] = 0xE0;  // -20000 = 0xB1E0
        buffer.bytes[frame * 4 + 3] = 0xB1;
    }
    queue(buffer);
    device->advanceFrames(1);
    ASSERT_EQ(waveOut.setVolume(handle, 0x0000FFFF), mm::MMSYSERR_NOERROR);  // right muted
    device->advanceFrames(1);
    uint32_t level = 0;
    EXPECT_EQ(waveOut.getVolume(handle, &level), mm::MMSYSERR_NOERROR);
    EXPECT_EQ(level, 0x0000FFFFu);
    const std::vector<uint8_t> expected{0x20, 0x4E, 0xE0, 0xB1, 0x20, 0x4E, 0x00, 0x00};
    EXPECT_EQ(device->pulledBytes(), expected);
}

TEST_F(WaveOutTest, QueueingBeyondTheLimitFailsWithoutLosingWhatIsQueued) {
    openAs(pcmFormat(1, 22050, 8));
    std::vector<std::unique_ptr<Buffer>> buffers;
    for (std::size_t i = 0; i <= WaveOutStream::kMaxQueued; ++i) {
        buffers.push_back(std::make_unique<Buffer>(10, 0));
        ASSERT_EQ(waveOut.prepareHeader(handle, &buffers.back()->header), mm::MMSYSERR_NOERROR);
    }
    for (std::size_t i = 0; i < WaveOutStream::kMaxQueued; ++i) {
        ASSERT_EQ(waveOut.write(handle, &buffers[i]->header), mm::MMSYSERR_NOERROR);
    }
    EXPECT_EQ(waveOut.write(handle, &buffers.back()->header), mm::MMSYSERR_NOMEM);
    device->advanceFrames(10 * WaveOutStream::kMaxQueued);
    EXPECT_EQ(notify.dones().size(), WaveOutStream::kMaxQueued);
    EXPECT_EQ(waveOut.write(handle, &buffers.back()->header), mm::MMSYSERR_NOERROR);
}

// An operation of the output called off its owning thread stops a debug build at the call.
TEST(ThreadOwner, AnOperationOffTheOwningThreadAbortsInADebugBuild) {
#ifdef NDEBUG
    GTEST_SKIP() << "the check is compiled out of release builds";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ThreadOwner owner;
    EXPECT_TRUE(owner.isOwner());
    owner.check("on its own thread");  // passes
    bool elsewhere = true;
    std::thread([&] { elsewhere = owner.isOwner(); }).join();
    EXPECT_FALSE(elsewhere);

    EXPECT_DEATH(
        {
            WaveOut waveOut([] { return std::make_unique<VirtualAudioDevice>(); });
            WaveOutCaps caps;
            std::thread([&] { waveOut.getDevCaps(mm::WAVE_MAPPER, &caps); }).join();
        },
        "WaveOut::getDevCaps called off its owning thread");
#endif
}

}  // namespace
