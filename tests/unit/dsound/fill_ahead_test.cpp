// Fill ahead on a fake buffer: how much it writes and where, the wrap into two regions, the
// restart at the write cursor once the cursor has passed the write position, and the bytes: one
// tone per write whose phase runs on from write to write, silence at amplitude 0.

#include <gtest/gtest.h>

#include <vector>

#include "engine/dsound/fill_ahead.h"
#include "support/fake_direct_sound.h"

namespace {

using engine::StreamLayout;
using testing_support::FakeSoundBuffer;

class RecordingSink final : public engine::FillAheadSink {
  public:
    void written(std::span<const uint8_t> first, std::span<const uint8_t> second) override {
        bytes.insert(bytes.end(), first.begin(), first.end());
        bytes.insert(bytes.end(), second.begin(), second.end());
    }
    void lockFailed() override { ++lockFailures; }
    void unlockFailed() override { ++unlockFailures; }
    void fellBehind() override { ++underruns; }

    std::vector<uint8_t> bytes;
    int lockFailures = 0;
    int unlockFailures = 0;
    int underruns = 0;
};

// The tone as a continuous run of frames from `phase`, the reference the stream must match.
std::vector<uint8_t> continuousTone(engine::OutputFormat format, const engine::WaveTable& table,
                                    uint16_t phase, int32_t frequency, int32_t amplitude,
                                    uint32_t frames) {
    const auto increment = static_cast<int32_t>(int64_t{frequency} * 65536 / format.rate());
    std::vector<uint8_t> out;
    for (uint32_t i = 0; i < frames; ++i) {
        if (format.sixteenBit) {
            const auto sample =
                static_cast<uint16_t>(engine::sampleSixteenBit(table, phase, amplitude));
            for (int channel = 0; channel < (format.stereo ? 2 : 1); ++channel) {
                out.push_back(static_cast<uint8_t>(sample & 0xFF));
                out.push_back(static_cast<uint8_t>(sample >> 8));
            }
        } else {
            out.insert(out.end(), format.stereo ? 2 : 1,
                       engine::sampleEightBit(table, phase, amplitude));
        }
        phase = static_cast<uint16_t>(phase + increment);
    }
    return out;
}

class FillAheadTest : public ::testing::Test {
  protected:
    FillAheadTest() { engine::buildWaveTable(table, 0); }

    void useFormat(engine::OutputFormat format) {
        layout = engine::streamLayoutFor(format);
        buffer = FakeSoundBuffer(layout.bufferSize);
    }

    bool fill(int32_t frequency, int32_t amplitude) {
        return engine::fillAhead(buffer, layout, table, frequency, amplitude, state, sink);
    }

    uint32_t lead() const {
        return (layout.bufferSize - buffer.writeCursor + state.writePosition.load()) %
               layout.bufferSize;
    }

    engine::WaveTable table;
    StreamLayout layout = engine::streamLayoutFor(engine::OutputFormat{});
    FakeSoundBuffer buffer{22050};
    engine::StreamState state;
    RecordingSink sink;
};

TEST_F(FillAheadTest, BlockAndLeadAreTwentyTwoAndFourHundredFortyOneFramesAtEitherRate) {
    for (bool highRate : {false, true}) {
        EXPECT_EQ(engine::streamLayoutFor({false, highRate, false}).blockBytes, 22u);
        EXPECT_EQ(engine::streamLayoutFor({false, highRate, false}).leadTarget, 441u);
        EXPECT_EQ(engine::streamLayoutFor({true, highRate, false}).leadTarget, 882u);
        EXPECT_EQ(engine::streamLayoutFor({false, highRate, true}).blockBytes, 44u);
        EXPECT_EQ(engine::streamLayoutFor({true, highRate, true}).blockBytes, 88u);
        EXPECT_EQ(engine::streamLayoutFor({true, highRate, true}).leadTarget, 1764u);
    }
    EXPECT_EQ(engine::streamLayoutFor({false, false, false}).bufferSize, 22050u);
    EXPECT_EQ(engine::streamLayoutFor({true, true, true}).bufferSize, 176400u);
}

TEST_F(FillAheadTest, AWriteRaisesTheLeadToTargetPlusBlockAndNothingIsWrittenAboveTarget) {
    ASSERT_TRUE(fill(440, 100));
    ASSERT_EQ(buffer.locks.size(), 1u);
    EXPECT_EQ(buffer.locks[0].offset, 0u);
    EXPECT_EQ(buffer.locks[0].bytes, 463u);
    EXPECT_EQ(lead(), 463u);

    // As the device reads on, steps write nothing until the lead falls below the target, and
    // then exactly what brings it back to target + block.
    uint32_t cursor = 0;
    for (uint32_t consumed : {5u, 17u, 1u, 30u, 22u, 22u, 100u, 440u, 3u}) {
        cursor += consumed;
        buffer.writeCursor = cursor % layout.bufferSize;
        const uint32_t before = lead();
        const size_t locksBefore = buffer.locks.size();
        ASSERT_TRUE(fill(440, 100));
        if (before >= layout.leadTarget) {
            EXPECT_EQ(buffer.locks.size(), locksBefore) << cursor;
            EXPECT_EQ(lead(), before);
        } else {
            ASSERT_EQ(buffer.locks.size(), locksBefore + 1) << cursor;
            EXPECT_EQ(buffer.locks.back().bytes, 463u - before);
            EXPECT_EQ(lead(), 463u);
        }
    }
    EXPECT_EQ(sink.bytes.size(), state.writePosition.load());
}

TEST_F(FillAheadTest, ASpanPastTheEndIsWrittenAsTwoRegionsThatPlayAsOneTone) {
    useFormat({true, true, true});  // 4-byte frames, 176400-byte buffer
    state.writePosition = layout.bufferSize - 400;
    buffer.writeCursor = layout.bufferSize - 400 - 1000;  // lead 1000 bytes
    state.streamPhase = 12345;
    ASSERT_TRUE(fill(1000, 128));

    const uint32_t written = layout.blockBytes + layout.leadTarget - 1000;
    EXPECT_EQ(state.writePosition.load(), written - 400);
    const std::vector<uint8_t> expected =
        continuousTone(layout.format, table, 12345, 1000, 128, written / 4);
    std::vector<uint8_t> played(buffer.bytes.end() - 400, buffer.bytes.end());
    played.insert(played.end(), buffer.bytes.begin(), buffer.bytes.begin() + (written - 400));
    EXPECT_EQ(played, expected);
    EXPECT_EQ(sink.bytes, expected);               // the recording gets them in play order
    EXPECT_EQ(buffer.bytes[written - 400], 0xAA);  // nothing past the regions
}

TEST_F(FillAheadTest, AWriteCursorPastTheWritePositionRestartsWritingThere) {
    // Only a lead above target + block counts as passed: exactly that much is a full buffer.
    state.writePosition = 1000 + 463;
    buffer.writeCursor = 1000;
    ASSERT_TRUE(fill(440, 100));
    EXPECT_TRUE(buffer.locks.empty());

    state.writePosition = 1000 + 464;
    ASSERT_TRUE(fill(440, 100));
    ASSERT_EQ(buffer.locks.size(), 1u);
    EXPECT_EQ(buffer.locks[0].offset, 1000u);
    EXPECT_EQ(buffer.locks[0].bytes, 463u);
    EXPECT_EQ(state.writePosition.load(), 1463u);

    // After a start the cursor is far past the old position: writing begins at once, at it.
    state.writePosition = 300;
    buffer.writeCursor = 9000;
    ASSERT_TRUE(fill(440, 100));
    EXPECT_EQ(buffer.locks.back().offset, 9000u);
    EXPECT_EQ(buffer.locks.back().bytes, 463u);
    EXPECT_EQ(lead(), 463u);
}

// A new play starts writing at the cursor without a gap; once sound flows, each time the reader
// passes it is one.
TEST_F(FillAheadTest, EachRestartAtTheCursorAfterTheFirstWriteIsAnUnderrun) {
    state.writePosition = 300;
    buffer.writeCursor = 9000;
    ASSERT_TRUE(fill(440, 100));
    EXPECT_EQ(sink.underruns, 0) << "the first write of a play";
    for (const uint32_t passed : {464u, 1u, 0u, 5000u}) {
        const int before = sink.underruns;
        buffer.writeCursor = (state.writePosition.load() + passed) % layout.bufferSize;
        ASSERT_TRUE(fill(440, 100));
        EXPECT_EQ(sink.underruns, before + (passed > 0 ? 1 : 0)) << passed;
    }
}

TEST_F(FillAheadTest, APositionKeptFromAnotherFormatIsTakenAsAWholeFrameInThisBuffer) {
    useFormat({false, false, true});  // 2-byte frames, 44100 bytes
    state.writePosition = 150001;     // from a larger buffer, between two frames of this one
    buffer.writeCursor = (150000 % 44100) - 100;
    ASSERT_TRUE(fill(440, 100));
    EXPECT_EQ(buffer.locks.back().offset, 150000u % 44100);
    EXPECT_EQ(state.writePosition.load() % 2, 0u);
}

TEST_F(FillAheadTest, ThePhaseRunsOnAcrossWritesAndAmplitudeChangesAtOnce) {
    useFormat({false, true, true});
    ASSERT_TRUE(fill(700, 128));
    const size_t first = sink.bytes.size();
    buffer.writeCursor = 500;  // 250 frames consumed
    ASSERT_TRUE(fill(700, 64));
    const size_t second = sink.bytes.size() - first;
    ASSERT_EQ(second, 500u);

    const std::vector<uint8_t> loud = continuousTone(layout.format, table, 0, 700, 128,
                                                     static_cast<uint32_t>((first + second) / 2));
    const std::vector<uint8_t> soft = continuousTone(layout.format, table, 0, 700, 64,
                                                     static_cast<uint32_t>((first + second) / 2));
    EXPECT_TRUE(std::equal(sink.bytes.begin(), sink.bytes.begin() + first, loud.begin()));
    EXPECT_TRUE(std::equal(sink.bytes.begin() + first, sink.bytes.end(), soft.begin() + first));
}

TEST_F(FillAheadTest, AmplitudeZeroWritesSilenceWhileThePhaseKeepsRunning) {
    for (const engine::OutputFormat format :
         {engine::OutputFormat{true, false, false}, engine::OutputFormat{false, false, true}}) {
        useFormat(format);
        state.writePosition = 0;
        state.streamPhase = 100;
        sink.bytes.clear();
        ASSERT_TRUE(fill(1000, 0));
        const uint8_t silence = format.sixteenBit ? 0x00 : 0x80;
        ASSERT_EQ(sink.bytes.size(), layout.blockBytes + layout.leadTarget);
        for (uint8_t byte : sink.bytes) {
            ASSERT_EQ(byte, silence);
        }
        const uint32_t frames =
            (layout.blockBytes + layout.leadTarget) / static_cast<uint32_t>(format.frameBytes());
        const uint32_t increment = 1000u * 65536u / 22050u;
        EXPECT_EQ(state.streamPhase.load(), static_cast<uint16_t>(100 + frames * increment));
    }
}

TEST_F(FillAheadTest, AFailedLockWritesNothingButStillUnlocksAndFailuresAreReported) {
    buffer.failLock = true;
    buffer.failUnlock = true;
    EXPECT_FALSE(fill(440, 100));
    EXPECT_EQ(sink.lockFailures, 1);
    EXPECT_EQ(sink.unlockFailures, 1);
    EXPECT_TRUE(sink.bytes.empty());
    EXPECT_EQ(state.writePosition.load(), 0u);

    buffer.failLock = false;
    EXPECT_FALSE(fill(440, 100));  // written, but the unlock failed: the position still moves
    EXPECT_EQ(sink.unlockFailures, 2);
    EXPECT_EQ(state.writePosition.load(), 463u);
}

}  // namespace
