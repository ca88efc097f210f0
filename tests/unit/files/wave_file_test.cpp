// WAV files byte for byte against the documented layout, and what is refused when opening.

#include "files/wave_file.h"

#include "file_test_support.h"

namespace {

using namespace files;
using namespace files_test;

class WaveFileTest : public TempFolderTest {};

// The documented layout: RIFF, WAVE, "fmt " with the 18-byte record, "fact", "data".
Bytes expectedWave(const platform::WaveFormatPcm& f, uint32_t frames, const Bytes& data) {
    Bytes body;
    append(body, "WAVE");
    append(body, "fmt ");
    appendLe32(body, 18);
    appendLe16(body, f.formatTag);
    appendLe16(body, f.channels);
    appendLe32(body, f.samplesPerSec);
    appendLe32(body, f.avgBytesPerSec);
    appendLe16(body, f.blockAlign);
    appendLe16(body, f.bitsPerSample);
    appendLe16(body, 0);
    append(body, "fact");
    appendLe32(body, 4);
    appendLe32(body, frames);
    append(body, "data");
    appendLe32(body, static_cast<uint32_t>(data.size()));
    append(body, data);
    if (data.size() % 2 != 0) {
        body.push_back(0);
    }
    Bytes file;
    append(file, "RIFF");
    appendLe32(file, static_cast<uint32_t>(body.size()));
    append(file, body);
    return file;
}

TEST_F(WaveFileTest, TheFormatRecordFollowsTheOutputSettings) {
    const platform::WaveFormatPcm quiet = pcmWaveFormat(false, false, false);
    EXPECT_EQ(quiet.channels, 1);
    EXPECT_EQ(quiet.samplesPerSec, 22050U);
    EXPECT_EQ(quiet.avgBytesPerSec, 22050U);
    EXPECT_EQ(quiet.blockAlign, 1);
    EXPECT_EQ(quiet.bitsPerSample, 8);
    const platform::WaveFormatPcm full = pcmWaveFormat(true, true, true);
    EXPECT_EQ(full.channels, 2);
    EXPECT_EQ(full.samplesPerSec, 44100U);
    EXPECT_EQ(full.avgBytesPerSec, 176400U);
    EXPECT_EQ(full.blockAlign, 4);
    EXPECT_EQ(full.bitsPerSample, 16);
    EXPECT_EQ(full.formatTag, platform::mm::WAVE_FORMAT_PCM);
    EXPECT_EQ(full.cbSize, 0);
}

TEST_F(WaveFileTest, AnEmptyNewRecordingIs58Bytes) {
    const platform::WaveFormatPcm format = pcmWaveFormat(true, false, true);
    WaveFile file(nullptr, &format);
    ASSERT_TRUE(file.newFile(nullptr));
    ASSERT_TRUE(file.bringUpToDate());
    EXPECT_EQ(readBytes(file.fileName()), expectedWave(format, 0, {}));
    file.discard();
}

TEST_F(WaveFileTest, OneSecondOfMono8BitCountsItsSampleFrames) {
    const platform::WaveFormatPcm format = pcmWaveFormat(false, false, false);
    WaveFile file(nullptr, &format);
    ASSERT_TRUE(file.newFile(nullptr));
    Bytes samples(22050);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<uint8_t>(128 + (i % 50));
    }
    ASSERT_EQ(file.write(samples.data(), 22050), 22050);
    ASSERT_TRUE(file.bringUpToDate());
    EXPECT_EQ(readBytes(file.fileName()), expectedWave(format, 22050, samples));
    file.discard();
}

TEST_F(WaveFileTest, TenSecondsOf16BitStereoAt44100CountWithoutOverflow) {
    const platform::WaveFormatPcm format = pcmWaveFormat(true, true, true);
    const std::string name = pathOf("ten.wav");
    {
        WaveFile file(name.c_str(), &format);
        const Bytes buffer(17640, 0);  // 0.1 s, written as the engine would, buffer by buffer
        for (int i = 0; i < 100; ++i) {
            ASSERT_EQ(file.write(buffer.data(), 17640), 17640);
        }
        EXPECT_EQ(file.length(), 1764000U);
    }  // destroying the object closes the file and writes the count
    const Bytes bytes = readBytes(name);
    ASSERT_EQ(bytes.size(), 58U + 1764000U);
    const Bytes header(bytes.begin(), bytes.begin() + 58);
    const Bytes expectedHeader = [&] {
        Bytes all = expectedWave(format, 441000, Bytes(1764000, 0));
        return Bytes(all.begin(), all.begin() + 58);
    }();
    EXPECT_EQ(header, expectedHeader);
    EXPECT_EQ(le32At(bytes, 46), 441000U);
}

TEST_F(WaveFileTest, OddDataIsPaddedAndTheRiffSizeCountsThePad) {
    const platform::WaveFormatPcm format = pcmWaveFormat(false, false, false);
    const std::string name = pathOf("odd.wav");
    const Bytes samples = {1, 2, 3, 4, 5};
    {
        WaveFile file(name.c_str(), &format);
        ASSERT_EQ(file.write(samples.data(), 5), 5);
    }
    const Bytes bytes = readBytes(name);
    EXPECT_EQ(bytes, expectedWave(format, 5, samples));
    EXPECT_EQ(le32At(bytes, 4), bytes.size() - 8);

    WaveFile again(name.c_str(), nullptr);
    ASSERT_TRUE(again.isOpen());
    ASSERT_TRUE(again.seek(again.length()));
    ASSERT_EQ(again.write(samples.data(), 1), 1) << "more data goes over the pad byte";
    ASSERT_TRUE(again.close());
    EXPECT_EQ(readBytes(name), expectedWave(format, 6, {1, 2, 3, 4, 5, 1}));
}

TEST_F(WaveFileTest, SeeksAlignToWholeFramesAndStopAtTheEnd) {
    const platform::WaveFormatPcm format = pcmWaveFormat(true, true, true);
    WaveFile file(pathOf("s.wav").c_str(), &format);
    const Bytes frames(40, 9);
    ASSERT_EQ(file.write(frames.data(), 40), 40);
    ASSERT_TRUE(file.seek(5));
    EXPECT_EQ(file.position(), 4U);
    ASSERT_TRUE(file.seek(1000));
    EXPECT_EQ(file.position(), 40U);
    ASSERT_TRUE(file.seek(3));
    EXPECT_EQ(file.position(), 0U);
}

TEST_F(WaveFileTest, OpenedFilesReadTheirFormatAndTakeMoreRecording) {
    const platform::WaveFormatPcm format = pcmWaveFormat(true, false, true);
    const std::string name = pathOf("more.wav");
    {
        WaveFile file(name.c_str(), &format);
        const Bytes first = {1, 0, 2, 0};
        ASSERT_EQ(file.write(first.data(), 4), 4);
    }
    WaveFile file(nullptr, nullptr);
    ASSERT_TRUE(file.open(name.c_str()));
    EXPECT_EQ(file.format().channels, 2);
    EXPECT_EQ(file.format().bitsPerSample, 16);
    EXPECT_EQ(file.length(), 4U);
    EXPECT_EQ(file.position(), 4U) << "recording goes on after the samples, not over them";
    const Bytes second = {3, 0, 4, 0};
    ASSERT_EQ(file.write(second.data(), 4), 4);
    ASSERT_TRUE(file.close());
    EXPECT_EQ(readBytes(name), expectedWave(format, 2, {1, 0, 2, 0, 3, 0, 4, 0}));
}

// Files that must be refused without reading past what they hold.
TEST_F(WaveFileTest, DamagedFilesAreRefused) {
    const platform::WaveFormatPcm format = pcmWaveFormat(false, false, false);
    const Bytes good = expectedWave(format, 4, {10, 20, 30, 40});
    struct Case {
        const char* what;
        Bytes bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"not RIFF", Bytes(good.begin() + 4, good.end())});
    Bytes truncated(good.begin(), good.end() - 2);
    cases.push_back({"truncated data", truncated});
    Bytes riffTooLarge = good;
    riffTooLarge[4] = 0xFF;
    cases.push_back({"RIFF size past the end", riffTooLarge});
    Bytes dataTooLarge = good;
    dataTooLarge[54] = 0xF0;
    cases.push_back({"data size past the end", dataTooLarge});
    Bytes noData(good.begin(), good.begin() + 50);
    noData[4] = 42;
    cases.push_back({"no data chunk", noData});
    Bytes noFormat = good;
    noFormat[12] = 'X';
    cases.push_back({"no fmt chunk", noFormat});
    Bytes shortFormat = good;
    shortFormat[16] = 8;
    cases.push_back({"fmt too short", shortFormat});
    Bytes zeroAlign = good;
    zeroAlign[32] = 0;
    cases.push_back({"no block alignment", zeroAlign});
    // A "fmt " chunk of 2002 bytes: longer than the format block.
    Bytes longFormat;
    append(longFormat, "RIFF");
    appendLe32(longFormat, 4 + 8 + 2002 + 8 + 2);
    append(longFormat, "WAVE");
    append(longFormat, "fmt ");
    appendLe32(longFormat, 2002);
    append(longFormat, Bytes(good.begin() + 20, good.begin() + 38));
    append(longFormat, Bytes(2002 - 18, 0));
    append(longFormat, "data");
    appendLe32(longFormat, 2);
    append(longFormat, {1, 2});
    cases.push_back({"fmt longer than the format block", longFormat});
    // A "fmt " chunk of 14 bytes, well formed but without the bits per sample.
    Bytes formatOf14;
    append(formatOf14, "RIFF");
    appendLe32(formatOf14, 4 + 8 + 14 + 8 + 2);
    append(formatOf14, "WAVE");
    append(formatOf14, "fmt ");
    appendLe32(formatOf14, 14);
    append(formatOf14, Bytes(good.begin() + 20, good.begin() + 34));
    append(formatOf14, "data");
    appendLe32(formatOf14, 2);
    append(formatOf14, {1, 2});
    cases.push_back({"fmt without the bits per sample", formatOf14});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string name = pathOf("bad.wav");
        writeBytes(name, c.bytes);
        WaveFile file(nullptr, nullptr);
        EXPECT_FALSE(file.open(name.c_str()));
        EXPECT_FALSE(file.isOpen());
        EXPECT_FALSE(file.lastReason().empty()) << "the user is told why";
        EXPECT_EQ(file.title(), "");
        EXPECT_EQ(readBytes(name), c.bytes) << "a refused file is left as it was";
    }
}

// A WAV file as other programs write it: no "fact", 8000 Hz 8-bit mono, two samples, then
// whatever chunks follow the data.
Bytes waveWithoutFact(const Bytes& chunksAfterData) {
    Bytes bytes;
    append(bytes, "RIFF");
    appendLe32(bytes, static_cast<uint32_t>(4 + 8 + 16 + 8 + 2 + chunksAfterData.size()));
    append(bytes, "WAVE");
    append(bytes, "fmt ");
    appendLe32(bytes, 16);
    append(bytes, {1, 0, 1, 0});
    appendLe32(bytes, 8000);
    appendLe32(bytes, 8000);
    append(bytes, {1, 0, 8, 0});
    append(bytes, "data");
    appendLe32(bytes, 2);
    append(bytes, {100, 101});
    append(bytes, chunksAfterData);
    return bytes;
}

TEST_F(WaveFileTest, FilesFromOtherProgramsWithoutFactOpenAndGrow) {
    const Bytes bytes = waveWithoutFact({});
    const std::string name = pathOf("plain.wav");
    writeBytes(name, bytes);

    WaveFile file(name.c_str(), nullptr);
    ASSERT_TRUE(file.isOpen());
    EXPECT_EQ(file.format().samplesPerSec, 8000U);
    ASSERT_TRUE(file.seek(2));
    ASSERT_EQ(file.write("\x66", 1), 1);
    ASSERT_TRUE(file.close());
    const Bytes after = readBytes(name);
    ASSERT_EQ(after.size(), bytes.size() + 2);
    EXPECT_EQ(le32At(after, 4), after.size() - 8);
    EXPECT_EQ(le32At(after, 40), 3U);
    EXPECT_EQ(after[46], 0x66);
}

TEST_F(WaveFileTest, DataFollowedByAnotherChunkIsNotGrownOverIt) {
    Bytes tag;
    append(tag, "LIST");
    appendLe32(tag, 4);
    append(tag, "INFO");
    Bytes empty;  // the smallest chunk there is
    append(empty, "JUNK");
    appendLe32(empty, 0);
    for (const Bytes& after : {tag, empty}) {
        const Bytes bytes = waveWithoutFact(after);
        const std::string name = pathOf("tagged.wav");
        writeBytes(name, bytes);

        WaveFile file(name.c_str(), nullptr);
        ASSERT_TRUE(file.isOpen());
        ASSERT_TRUE(file.seek(2));
        EXPECT_EQ(file.write("\x66", 1), -1);
        ASSERT_TRUE(file.seek(0));
        EXPECT_EQ(file.write("\x66", 1), 1) << "writing within the data is fine";
        ASSERT_TRUE(file.close());
        Bytes expected = bytes;
        expected[44] = 0x66;
        EXPECT_EQ(readBytes(name), expected);
    }
}

}  // namespace
