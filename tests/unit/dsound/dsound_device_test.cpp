// DirectSound over a virtual audio output: the library and its creation function, no output
// emulated, buffer descriptions, and the looping buffer's cursors, regions and bytes as the
// output reads them, in short periods and long ones.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <numeric>
#include <vector>

#include "platform/dsound/direct_sound_library.h"
#include "platform/dsound/looping_sound_buffer.h"
#include "platform/waveout/virtual_audio_device.h"

namespace {

using namespace platform;

PcmWaveFormat pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
    PcmWaveFormat format;
    format.channels = channels;
    format.samplesPerSec = rate;
    format.bitsPerSample = bits;
    format.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    format.avgBytesPerSec = rate * format.blockAlign;
    return format;
}

DsBufferDesc oneSecond(const PcmWaveFormat& format) {
    DsBufferDesc desc;
    desc.size = ds::kBufferDescVersion1Size;
    desc.flags = ds::DSBCAPS_STATIC | ds::DSBCAPS_CTRLFREQUENCY | ds::DSBCAPS_CTRLPAN |
                 ds::DSBCAPS_CTRLVOLUME;
    desc.bufferBytes = format.avgBytesPerSec;
    desc.format = &format;
    return desc;
}

class DirectSoundTest : public ::testing::Test {
  protected:
    ~DirectSoundTest() override {
        if (buffer != nullptr) {
            buffer->release();
        }
        if (directSound != nullptr) {
            directSound->release();
        }
    }

    DirectSoundOnAudio library{[this] {
        auto made = std::make_unique<VirtualAudioDevice>();
        made->keepPulled(true);
        made->choosePeriodFrames(periodFrames);
        if (!refusal.empty()) {
            made->refuseOpen(refusal);
        }
        device = made.get();
        return made;
    }};
    VirtualAudioDevice* device = nullptr;
    int32_t periodFrames = 0;
    std::string refusal;
    IDirectSound* directSound = nullptr;
    IDirectSoundBuffer* buffer = nullptr;

    ds::HResult open() {
        DirectSoundLibrary::Module module = library.loadLibrary("dsound.dll");
        DirectSoundCreateFunction* create = library.getProcAddress(module, "DirectSoundCreate");
        return create->create(nullptr, &directSound, nullptr);
    }

    uint32_t capsFlags() {
        DsCaps caps;
        caps.size = sizeof caps;
        EXPECT_EQ(directSound->getCaps(&caps), ds::DS_OK);
        return caps.flags;
    }

    void createBuffer(const PcmWaveFormat& format) {
        ASSERT_EQ(open(), ds::DS_OK);
        const DsBufferDesc desc = oneSecond(format);
        ASSERT_EQ(directSound->createSoundBuffer(&desc, &buffer, nullptr), ds::DS_OK);
    }

    uint32_t writeCursor() {
        uint32_t play = 0;
        uint32_t write = 0;
        EXPECT_EQ(buffer->getCurrentPosition(&play, &write), ds::DS_OK);
        return write;
    }

    // Writes `bytes` at `offset` through lock and unlock.
    void write(uint32_t offset, const std::vector<uint8_t>& bytes) {
        void* first = nullptr;
        void* second = nullptr;
        uint32_t firstLength = 0;
        uint32_t secondLength = 0;
        ASSERT_EQ(buffer->lock(offset, static_cast<uint32_t>(bytes.size()), &first, &firstLength,
                               &second, &secondLength, 0),
                  ds::DS_OK);
        std::memcpy(first, bytes.data(), firstLength);
        if (secondLength != 0) {
            std::memcpy(second, bytes.data() + firstLength, secondLength);
        }
        ASSERT_EQ(buffer->unlock(first, firstLength, second, secondLength), ds::DS_OK);
    }
};

TEST_F(DirectSoundTest, LibraryLoadsByEitherCaseAndExportsOnlyTheCreationFunction) {
    EXPECT_NE(library.loadLibrary("dsound.dll"), nullptr);
    EXPECT_NE(library.loadLibrary("DSOUND.DLL"), nullptr);
    EXPECT_EQ(library.loadLibrary("dsound"), nullptr);
    EXPECT_EQ(library.loadLibrary(nullptr), nullptr);

    DirectSoundLibrary::Module module = library.loadLibrary("dsound.dll");
    EXPECT_NE(library.getProcAddress(module, "DirectSoundCreate"), nullptr);
    EXPECT_EQ(library.getProcAddress(module, "DirectSoundCreate8"), nullptr);
    EXPECT_EQ(library.getProcAddress(nullptr, "DirectSoundCreate"), nullptr);
}

TEST_F(DirectSoundTest, CreationFailsWithoutAnOutputAndForOtherDevicesOrAggregation) {
    DirectSoundCreateFunction* create =
        library.getProcAddress(library.loadLibrary("dsound.dll"), "DirectSoundCreate");
    const int otherDevice = 1;
    int outer = 0;
    EXPECT_NE(create->create(&otherDevice, &directSound, nullptr), ds::DS_OK);
    EXPECT_NE(create->create(nullptr, &directSound, &outer), ds::DS_OK);
    EXPECT_EQ(directSound, nullptr);

    refusal = "no sound card";
    EXPECT_NE(create->create(nullptr, &directSound, nullptr), ds::DS_OK);
    EXPECT_EQ(directSound, nullptr);
    EXPECT_EQ(library.lastDeviceError(), "no sound card") << "the page tells the output's reason";
}

TEST_F(DirectSoundTest, NoOutputIsEmulatedWhateverItsPeriod) {
    for (const int32_t period : {128, 1024}) {
        periodFrames = period;
        ASSERT_EQ(open(), ds::DS_OK);
        EXPECT_EQ(capsFlags() & ds::DSCAPS_EMULDRIVER, 0u) << period;
        directSound->release();
        directSound = nullptr;
    }

    ASSERT_EQ(open(), ds::DS_OK);
    DsCaps unsized;
    EXPECT_EQ(directSound->getCaps(&unsized), ds::DSERR_INVALIDPARAM);
}

int64_t fakeNanoseconds = 0;
int64_t fakeClock() noexcept {
    return fakeNanoseconds;
}

// A sound server reads a quantum of 1024 frames at a time while the stream writes 441 frames
// ahead of the write cursor every 2 ms: once the stream has caught up, every frame read is one
// it wrote (in under a lap of the ring, so nothing stale can pass for it).
TEST(LoopingSoundBuffer, AnOutputReadingMoreThanTheStreamLeadsGetsEveryFrameWritten) {
    constexpr uint32_t rate = 22050;
    constexpr uint32_t period = 1024;
    constexpr uint32_t lead = 441;
    auto made = std::make_unique<VirtualAudioDevice>();
    VirtualAudioDevice& device = *made;
    device.keepPulled(true);
    device.choosePeriodFrames(period);
    std::string error;
    fakeNanoseconds = 0;
    IDirectSoundBuffer* buffer =
        LoopingSoundBuffer::create(std::move(made), pcm(1, rate, 8), rate, error, fakeClock);
    ASSERT_NE(buffer, nullptr) << error;
    auto pattern = [](uint32_t frame) { return static_cast<uint8_t>(frame % 100 + 1); };
    ASSERT_EQ(buffer->play(0, 0, ds::DSBPLAY_LOOPING), ds::DS_OK);

    uint32_t next = 0;  // the next frame the stream writes
    uint32_t reads = 0;
    uint32_t lastWrite = 0;
    for (int64_t ms = 0; ms < 900; ms += 2) {
        fakeNanoseconds = ms * 1'000'000;
        uint32_t play = 0;
        uint32_t write = 0;
        ASSERT_EQ(buffer->getCurrentPosition(&play, &write), ds::DS_OK);
        ASSERT_GE(write, lastWrite) << "the write cursor went back at " << ms << " ms";
        ASSERT_LE(write - play, period) << ms;
        lastWrite = write;
        next = std::max(next, write);  // the stream fell behind: it starts at the cursor
        while (next < write + lead) {
            void* region = nullptr;
            uint32_t length = 0;
            ASSERT_EQ(buffer->lock(next, 1, &region, &length, nullptr, nullptr, 0), ds::DS_OK);
            *static_cast<uint8_t*>(region) = pattern(next);
            ASSERT_EQ(buffer->unlock(region, 1, nullptr, 0), ds::DS_OK);
            ++next;
        }
        if (fakeNanoseconds >= int64_t{reads} * period * 1'000'000'000 / rate) {
            device.advanceFrames(period);
            ++reads;
        }
    }
    const std::vector<uint8_t>& heard = device.pulledBytes();
    ASSERT_GT(heard.size(), 15u * period);
    for (uint32_t frame = 2 * period; frame < heard.size(); ++frame) {
        ASSERT_EQ(heard[frame], pattern(frame)) << "frame " << frame;
    }
    buffer->release();
}

TEST_F(DirectSoundTest, CooperativeLevelNeedsAWindowAndAKnownLevel) {
    ASSERT_EQ(open(), ds::DS_OK);
    EXPECT_EQ(directSound->setCooperativeLevel(0x1234, ds::DSSCL_NORMAL), ds::DS_OK);
    EXPECT_NE(directSound->setCooperativeLevel(0, ds::DSSCL_NORMAL), ds::DS_OK);
    EXPECT_NE(directSound->setCooperativeLevel(0x1234, 0), ds::DS_OK);
    EXPECT_NE(directSound->setCooperativeLevel(0x1234, 5), ds::DS_OK);
}

TEST_F(DirectSoundTest, OnlyTheFirstDescriptionOfASecondaryPcmBufferIsAccepted) {
    ASSERT_EQ(open(), ds::DS_OK);
    const PcmWaveFormat format = pcm(1, 22050, 8);
    auto refused = [&](DsBufferDesc desc) {
        const ds::HResult result = directSound->createSoundBuffer(&desc, &buffer, nullptr);
        return result != ds::DS_OK && buffer == nullptr;
    };
    DsBufferDesc desc = oneSecond(format);
    desc.size = 36;
    EXPECT_TRUE(refused(desc));
    desc = oneSecond(format);
    desc.flags |= ds::DSBCAPS_PRIMARYBUFFER;
    EXPECT_TRUE(refused(desc));
    desc = oneSecond(format);
    desc.format = nullptr;
    EXPECT_TRUE(refused(desc));

    PcmWaveFormat wrongRate = pcm(2, 22050, 16);
    wrongRate.avgBytesPerSec = 22050;
    EXPECT_TRUE(refused(oneSecond(wrongRate)));
    PcmWaveFormat twentyFourBit = pcm(1, 22050, 16);
    twentyFourBit.bitsPerSample = 24;
    EXPECT_TRUE(refused(oneSecond(twentyFourBit)));
    const PcmWaveFormat stereo16 = pcm(2, 44100, 16);
    desc = oneSecond(stereo16);
    desc.bufferBytes = 1002;  // not whole frames
    EXPECT_TRUE(refused(desc));
}

TEST_F(DirectSoundTest, ANewBufferHoldsSilenceOfItsFormatUntilWritten) {
    for (const auto& [bits, silence] : {std::pair{8, 0x80}, {16, 0x00}}) {
        createBuffer(pcm(2, 22050, static_cast<uint16_t>(bits)));
        ASSERT_EQ(buffer->play(0, 0, ds::DSBPLAY_LOOPING), ds::DS_OK);
        device->advanceFrames(300);
        ASSERT_EQ(device->pulledBytes().size(), 300u * 2 * bits / 8);
        for (uint8_t byte : device->pulledBytes()) {
            ASSERT_EQ(byte, silence);
        }
        buffer->release();
        buffer = nullptr;
        directSound->release();
        directSound = nullptr;
    }
}

TEST_F(DirectSoundTest, TheWriteCursorIsWhereTheOutputReadsNextAndLoopsAfterOneSecond) {
    createBuffer(pcm(2, 44100, 16));
    EXPECT_EQ(device->format().periodFrames, 128);
    EXPECT_EQ(writeCursor(), 0u);
    device->advanceFrames(1000);  // paused: nothing is read
    EXPECT_EQ(writeCursor(), 0u);
    EXPECT_EQ(buffer->play(0, 0, 0), ds::DSERR_INVALIDPARAM);  // looping only

    ASSERT_EQ(buffer->play(0, 0, ds::DSBPLAY_LOOPING), ds::DS_OK);
    device->advanceFrames(256);
    EXPECT_EQ(writeCursor(), 256u * 4);
    uint32_t play = 0;
    ASSERT_EQ(buffer->getCurrentPosition(&play, nullptr), ds::DS_OK);
    EXPECT_EQ(play, 128u * 4);  // the period now sounding

    device->advanceFrames(44100);
    EXPECT_EQ(writeCursor(), 256u * 4);

    ASSERT_EQ(buffer->stop(), ds::DS_OK);
    device->advanceFrames(500);
    EXPECT_EQ(writeCursor(), 256u * 4);
    ASSERT_EQ(buffer->play(0, 0, ds::DSBPLAY_LOOPING), ds::DS_OK);  // resumes where it stopped
    device->advanceFrames(128);
    EXPECT_EQ(writeCursor(), 384u * 4);
}

TEST_F(DirectSoundTest, ASpanPastTheEndLocksAsTwoRegionsAndTheOutputPlaysWhatWasWritten) {
    createBuffer(pcm(1, 22050, 8));
    void* first = nullptr;
    void* second = nullptr;
    uint32_t firstLength = 0;
    uint32_t secondLength = 0;
    ASSERT_EQ(buffer->lock(22000, 100, &first, &firstLength, &second, &secondLength, 0), ds::DS_OK);
    EXPECT_EQ(firstLength, 50u);
    EXPECT_EQ(secondLength, 50u);
    EXPECT_NE(second, nullptr);
    // One lock at a time, and unlock takes back only what lock handed out.
    void* other = nullptr;
    uint32_t otherLength = 0;
    EXPECT_EQ(buffer->lock(0, 10, &other, &otherLength, nullptr, nullptr, 0),
              ds::DSERR_INVALIDCALL);
    EXPECT_EQ(buffer->unlock(second, firstLength, first, secondLength), ds::DSERR_INVALIDPARAM);
    ASSERT_EQ(buffer->unlock(first, firstLength, second, secondLength), ds::DS_OK);
    EXPECT_EQ(buffer->unlock(nullptr, 0, nullptr, 0), ds::DS_OK);
    EXPECT_EQ(buffer->lock(22050, 1, &other, &otherLength, nullptr, nullptr, 0),
              ds::DSERR_INVALIDPARAM);

    std::vector<uint8_t> head(300);
    std::iota(head.begin(), head.end(), uint8_t{1});
    std::vector<uint8_t> wrapping(100);
    std::iota(wrapping.begin(), wrapping.end(), uint8_t{100});
    write(0, head);
    write(22000, wrapping);  // its last 50 bytes replace head's first 50

    ASSERT_EQ(buffer->play(0, 0, ds::DSBPLAY_LOOPING), ds::DS_OK);
    device->advanceFrames(22050 + 300);
    const std::vector<uint8_t>& heard = device->pulledBytes();
    ASSERT_EQ(heard.size(), 22350u);
    std::vector<uint8_t> expectedHead(wrapping.begin() + 50, wrapping.end());
    expectedHead.insert(expectedHead.end(), head.begin() + 50, head.end());
    EXPECT_TRUE(std::equal(expectedHead.begin(), expectedHead.end(), heard.begin()));
    EXPECT_TRUE(std::equal(wrapping.begin(), wrapping.begin() + 50, heard.begin() + 22000));
    EXPECT_TRUE(std::equal(expectedHead.begin(), expectedHead.end(), heard.begin() + 22050));
}

TEST_F(DirectSoundTest, BuffersOutliveTheDeviceThatMadeThem) {
    createBuffer(pcm(1, 22050, 16));
    directSound->release();
    directSound = nullptr;
    ASSERT_EQ(buffer->play(0, 0, ds::DSBPLAY_LOOPING), ds::DS_OK);
    device->advanceFrames(64);
    EXPECT_EQ(writeCursor(), 128u);
}

}  // namespace
