// The chunk functions over POSIX files: sizes written back on ascend, odd chunks padded,
// searches bounded by the parent chunk, failed writes reported and undone.

#include "platform/mmio.h"

#include <regex>

#include "file_test_support.h"
#include "platform/temp_file_name.h"

namespace {

using namespace platform;
using namespace files_test;

class MmioTest : public TempFolderTest {};

TEST_F(MmioTest, AscendWritesDirtySizesAndPadsOddChunks) {
    const std::string name = pathOf("chunks.bin");
    HMMIO file = mmioOpenA(name.c_str(), nullptr, MMIO_CREATE | MMIO_READWRITE);
    ASSERT_NE(file, nullptr);
    MMCKINFO form{};
    form.fccType = mmioFOURCC('T', 'E', 'S', 'T');
    ASSERT_EQ(mmioCreateChunk(file, &form, MMIO_CREATERIFF), MMSYSERR_NOERROR);
    MMCKINFO chunk{};
    chunk.ckid = mmioStringToFOURCCA("abc", 0);
    ASSERT_EQ(mmioCreateChunk(file, &chunk, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(chunk.dwDataOffset, 20U);
    ASSERT_EQ(mmioWrite(file, "xyz", 3), 3);
    ASSERT_EQ(mmioAscend(file, &chunk, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(chunk.cksize, 3U);
    EXPECT_EQ(mmioSeek(file, 0, SEEK_CUR), 24);
    ASSERT_EQ(mmioAscend(file, &form, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(mmioClose(file, 0), MMSYSERR_NOERROR);

    Bytes expected;
    append(expected, "RIFF");
    appendLe32(expected, 16);
    append(expected, "TEST");
    append(expected, "abc ");
    appendLe32(expected, 3);
    append(expected, {'x', 'y', 'z', 0});
    EXPECT_EQ(readBytes(name), expected);
}

TEST_F(MmioTest, DescendFindsChunksWithinTheParentOnly) {
    Bytes bytes;
    append(bytes, "RIFF");
    appendLe32(bytes, 4 + 8 + 1 + 1);
    append(bytes, "WAVE");
    append(bytes, "one ");
    appendLe32(bytes, 1);
    append(bytes, {7, 0});
    append(bytes, "two ");  // after the form: not inside it
    appendLe32(bytes, 2);
    append(bytes, {1, 2});
    writeBytes(pathOf("f.bin"), bytes);

    HMMIO file = mmioOpenA(pathOf("f.bin").c_str(), nullptr, MMIO_READ);
    ASSERT_NE(file, nullptr);
    MMCKINFO form{};
    form.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    ASSERT_EQ(mmioDescend(file, &form, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    EXPECT_EQ(form.cksize, 14U);
    EXPECT_EQ(mmioSeek(file, 0, SEEK_CUR), 12);

    MMCKINFO chunk{};
    chunk.ckid = mmioFOURCC('t', 'w', 'o', ' ');
    EXPECT_EQ(mmioDescend(file, &chunk, &form, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(mmioSeek(file, 0, SEEK_CUR), 12) << "a failed search returns to where it began";
    EXPECT_EQ(mmioDescend(file, &chunk, nullptr, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(chunk.dwDataOffset, 30U);
    EXPECT_EQ(chunk.cksize, 2U);

    chunk.ckid = mmioFOURCC('o', 'n', 'e', ' ');
    mmioSeek(file, 12, SEEK_SET);
    EXPECT_EQ(mmioDescend(file, &chunk, &form, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(chunk.dwDataOffset, 20U);
    EXPECT_EQ(mmioAscend(file, &chunk, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioSeek(file, 0, SEEK_CUR), 22) << "ascending skips the pad byte";
    EXPECT_EQ(mmioClose(file, 0), MMSYSERR_NOERROR);
}

TEST_F(MmioTest, HugeChunkSizesEndTheSearchWithoutReadingAstray) {
    Bytes bytes;
    append(bytes, "junk");
    appendLe32(bytes, 0xFFFFFFFFU);
    append(bytes, "data");
    appendLe32(bytes, 0);
    writeBytes(pathOf("huge.bin"), bytes);
    HMMIO file = mmioOpenA(pathOf("huge.bin").c_str(), nullptr, MMIO_READ);
    ASSERT_NE(file, nullptr);
    MMCKINFO chunk{};
    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    EXPECT_EQ(mmioDescend(file, &chunk, nullptr, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    mmioClose(file, 0);
}

TEST_F(MmioTest, OpenFlagsExistDeleteAndReadOnly) {
    const std::string name = pathOf("x.bin");
    EXPECT_EQ(mmioOpenA(name.c_str(), nullptr, MMIO_EXIST), nullptr);
    MMIOINFO info{};
    EXPECT_EQ(mmioOpenA(name.c_str(), &info, MMIO_READ), nullptr);
    EXPECT_EQ(info.wErrorRet, MMIOERR_FILENOTFOUND);
    writeBytes(name, {1, 2, 3});
    HMMIO status = mmioOpenA(name.c_str(), nullptr, MMIO_EXIST);
    EXPECT_NE(status, nullptr);
    EXPECT_NE(mmioClose(status, 0), MMSYSERR_NOERROR) << "a status handle owns nothing";

    HMMIO readOnly = mmioOpenA(name.c_str(), nullptr, MMIO_READ);
    ASSERT_NE(readOnly, nullptr);
    EXPECT_EQ(mmioWrite(readOnly, "a", 1), -1);
    uint8_t got[8];
    EXPECT_EQ(mmioRead(readOnly, got, 8), 3);
    EXPECT_EQ(mmioRead(readOnly, got, 8), 0);
    mmioClose(readOnly, 0);

    EXPECT_NE(mmioOpenA(name.c_str(), nullptr, MMIO_DELETE), nullptr);
    EXPECT_FALSE(std::filesystem::exists(name));
    EXPECT_EQ(mmioOpenA(name.c_str(), nullptr, MMIO_DELETE), nullptr);
}

TEST_F(MmioTest, WriteIntoAFullDeviceFailsAndIsNotCounted) {
    HMMIO full = mmioOpenA("/dev/full", nullptr, MMIO_WRITE);
    if (full == nullptr) {
        GTEST_SKIP() << "/dev/full is not available here";
    }
    EXPECT_EQ(mmioWrite(full, "abcd", 4), -1);
    EXPECT_EQ(mmioSeek(full, 0, SEEK_CUR), 0);
    mmioClose(full, 0);
}

TEST_F(MmioTest, FourCharacterCodesArePaddedWithBlanks) {
    EXPECT_EQ(mmioStringToFOURCCA("fmt", 0), mmioFOURCC('f', 'm', 't', ' '));
    EXPECT_EQ(mmioStringToFOURCCA("wave", MMIO_TOUPPER), mmioFOURCC('W', 'A', 'V', 'E'));
    EXPECT_EQ(mmioStringToFOURCCA("MTrk", 0), mmioFOURCC('M', 'T', 'r', 'k'));
    EXPECT_EQ(mmioStringToFOURCCA("LONGER", 0), mmioFOURCC('L', 'O', 'N', 'G'));
}

TEST_F(MmioTest, TemporaryNamesAreCreatedExclusivelyInTheTemporaryFolder) {
    EXPECT_EQ(getTempPath(), folder.string() + "/");
    std::string first;
    std::string second;
    ASSERT_NE(getTempFileName(getTempPath(), "RIF", 0, first), 0U);
    ASSERT_NE(getTempFileName(getTempPath(), "RIF", 0, second), 0U);
    EXPECT_NE(first, second);
    const std::regex pattern(
        std::regex_replace(folder.string(), std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") +
        "/RIF[0-9A-F]{1,4}\\.TMP");
    EXPECT_TRUE(std::regex_match(first, pattern)) << first;
    EXPECT_TRUE(std::filesystem::exists(first));
    EXPECT_EQ(std::filesystem::status(first).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    std::string named;
    EXPECT_EQ(getTempFileName("/x", "RIFF", 0x2A, named), 0x2AU);
    EXPECT_EQ(named, "/x/RIF2A.TMP");

    ::unsetenv("TMPDIR");
    EXPECT_EQ(getTempPath(), "/tmp/");
}

}  // namespace
