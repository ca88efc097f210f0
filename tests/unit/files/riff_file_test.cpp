// The temporary-file life cycle of a recording, saving under a name, and what survives failures.

#include "files/riff_file.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

#include "file_test_support.h"
#include "files/midi_file.h"
#include "files/wave_file.h"

namespace {

using namespace files;
using namespace files_test;

class RiffFileTest : public TempFolderTest {
  protected:
    static std::string pattern(size_t count, uint8_t first = 0) {
        std::string bytes;
        for (size_t i = 0; i < count; ++i) {
            bytes += static_cast<char>(first + i);
        }
        return bytes;
    }
    static int32_t put(RiffFile& file, const std::string& bytes) {
        return file.write(bytes.data(), static_cast<int32_t>(bytes.size()));
    }
    // The bytes of a closed 8-bit mono WAV file's data chunk.
    static std::string dataOf(const std::string& name) {
        const Bytes bytes = readBytes(name);
        if (bytes.size() < 58) {
            return {};
        }
        return std::string(bytes.begin() + 58, bytes.begin() + 58 + le32At(bytes, 54));
    }
};

TEST_F(RiffFileTest, TitleFollowsTheFileState) {
    WaveFile file(nullptr, nullptr);
    EXPECT_EQ(file.title(), "");
    ASSERT_TRUE(file.newFile(nullptr));
    EXPECT_EQ(file.title(), "[noname.WAV]");
    EXPECT_TRUE(file.isTemporary());
    ASSERT_TRUE(file.discard());
    ASSERT_TRUE(file.open(pathOf("take one.wav").c_str()));
    EXPECT_EQ(file.title(), "take one.wav");
    EXPECT_FALSE(file.isTemporary());
}

TEST_F(RiffFileTest, TemporaryFilesAreDeletedUnlessTheyHoldUnsavedData) {
    {
        WaveFile file(nullptr, nullptr);
        ASSERT_TRUE(file.newFile(nullptr));
        ASSERT_TRUE(file.bringUpToDate());
        EXPECT_FALSE(file.isModified());
        EXPECT_TRUE(file.close()) << "nothing unsaved: deleted";
        EXPECT_TRUE(filesInFolder().empty());
    }
    {
        WaveFile file(nullptr, nullptr);
        ASSERT_TRUE(file.newFile(nullptr));
        ASSERT_EQ(put(file, "abc"), 3);
        const std::string kept = file.fileName();
        EXPECT_FALSE(file.close()) << "unsaved data: reported";
        EXPECT_FALSE(file.isOpen());
        ASSERT_TRUE(std::filesystem::exists(kept));
        EXPECT_EQ(dataOf(kept), "abc") << "the kept file is complete";
        EXPECT_TRUE(file.discard());
        EXPECT_TRUE(filesInFolder().empty());
    }
    {
        WaveFile file(nullptr, nullptr);
        ASSERT_TRUE(file.newFile(nullptr));
        ASSERT_EQ(put(file, "abc"), 3);
        EXPECT_TRUE(file.discard()) << "discard while open";
        EXPECT_FALSE(file.isOpen());
        EXPECT_EQ(file.fileName(), "");
        EXPECT_TRUE(filesInFolder().empty());
    }
}

TEST_F(RiffFileTest, NewFileRefusesWhileTheOldRecordingIsUnsaved) {
    WaveFile file(nullptr, nullptr);
    ASSERT_TRUE(file.newFile(nullptr));
    ASSERT_EQ(put(file, "abc"), 3);
    EXPECT_FALSE(file.newFile(nullptr));
    EXPECT_EQ(filesInFolder().size(), 1U);
    file.discard();
}

TEST_F(RiffFileTest, WritesBeforeTheEndOverwriteAndWritesAtTheEndGrow) {
    const std::string name = pathOf("w.wav");
    WaveFile file(name.c_str(), nullptr);
    ASSERT_TRUE(file.isOpen());
    ASSERT_EQ(put(file, "abcdef"), 6);
    ASSERT_TRUE(file.seek(1));
    ASSERT_EQ(put(file, "XY"), 2);
    EXPECT_EQ(file.length(), 6U);
    EXPECT_EQ(file.position(), 3U);
    ASSERT_TRUE(file.seek(5));
    ASSERT_EQ(put(file, "ZZZ"), 3) << "a write across the end grows to cover it";
    EXPECT_EQ(file.length(), 8U);
    ASSERT_TRUE(file.seek(0));
    ASSERT_EQ(put(file, "A"), 1);
    ASSERT_TRUE(file.bringUpToDate()) << "brought up to date away from the end";
    EXPECT_EQ(file.position(), 8U);
    ASSERT_TRUE(file.close());
    EXPECT_EQ(dataOf(name), "AXYdeZZZ");
}

TEST_F(RiffFileTest, ReadStopsAtTheEndOfTheChunk) {
    const std::string name = pathOf("r.wav");
    {
        WaveFile file(name.c_str(), nullptr);
        ASSERT_EQ(put(file, "hello"), 5);
    }
    WaveFile file(name.c_str(), nullptr);
    ASSERT_TRUE(file.isOpen());
    ASSERT_TRUE(file.seek(0));
    char got[16] = {};
    EXPECT_EQ(file.read(got, 16), 5);
    EXPECT_EQ(std::string(got), "hello");
    EXPECT_EQ(file.read(got, 16), 0) << "not the pad byte";

    // A MIDI track is followed on disk by its end of track, which is not part of the recording.
    MidiFile midi(nullptr);
    ASSERT_TRUE(midi.newFile(nullptr));
    ASSERT_EQ(midi.write("\x00\x90\x40\x50", 4), 4);
    ASSERT_TRUE(midi.bringUpToDate());
    ASSERT_TRUE(midi.seek(5));
    EXPECT_EQ(midi.read(got, 16), 0) << "past the end of the chunk";
    midi.discard();
}

TEST_F(RiffFileTest, SaveAsRenamesAndRecordingGoesOn) {
    WaveFile file(nullptr, nullptr);
    ASSERT_TRUE(file.newFile(nullptr));
    ASSERT_EQ(put(file, "first "), 6);
    const std::string target = pathOf("Take.wav");
    ASSERT_TRUE(file.saveAs(target.c_str()));
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"Take.wav"});
    EXPECT_EQ(file.title(), "Take.wav");
    EXPECT_FALSE(file.isTemporary());
    EXPECT_EQ(file.position(), 6U);
    ASSERT_EQ(put(file, "second"), 6) << "a saved file stays open for writing";
    EXPECT_TRUE(file.close());
    EXPECT_EQ(dataOf(target), "first second");
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    EXPECT_NE(status.st_mode & 0044, 0U) << "a saved recording is an ordinary file";
}

TEST_F(RiffFileTest, SaveAsToANameDifferingOnlyInCaseRenames) {
    const std::string lower = pathOf("take.wav");
    WaveFile file(lower.c_str(), nullptr);
    ASSERT_EQ(put(file, "abc"), 3);
    ASSERT_TRUE(file.bringUpToDate());
    struct stat before {};
    ASSERT_EQ(::stat(lower.c_str(), &before), 0);
    const std::string upper = pathOf("TAKE.WAV");
    ASSERT_TRUE(file.saveAs(upper.c_str()));
    struct stat after {};
    ASSERT_EQ(::stat(upper.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino) << "renamed, not copied";
    EXPECT_FALSE(std::filesystem::exists(lower));
    EXPECT_TRUE(file.close());
}

TEST_F(RiffFileTest, SaveAsToItsOwnNameKeepsTheRecording) {
    const std::string name = pathOf("same.wav");
    WaveFile file(name.c_str(), nullptr);
    ASSERT_EQ(put(file, "keep"), 4);
    ASSERT_TRUE(file.saveAs(name.c_str()));
    EXPECT_TRUE(file.isOpen());
    EXPECT_TRUE(file.close());
    EXPECT_EQ(dataOf(name), "keep");
}

TEST_F(RiffFileTest, SaveAsReplacesAnExistingFile) {
    const std::string target = pathOf("old.wav");
    writeBytes(target, {1, 2, 3});
    WaveFile file(nullptr, nullptr);
    ASSERT_TRUE(file.newFile(nullptr));
    ASSERT_EQ(put(file, "new"), 3);
    ASSERT_TRUE(file.saveAs(target.c_str()));
    EXPECT_TRUE(file.close());
    EXPECT_EQ(dataOf(target), "new");
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"old.wav"});
}

TEST_F(RiffFileTest, AFailedSaveAsLeavesTheRecordingOpenUnderItsOldName) {
    WaveFile file(nullptr, nullptr);
    ASSERT_TRUE(file.newFile(nullptr));
    ASSERT_EQ(put(file, "take"), 4);
    const std::string temporary = file.fileName();
    EXPECT_FALSE(file.saveAs(pathOf("no such folder/x.wav").c_str()));
    EXPECT_EQ(file.lastReason(), "No such file or directory") << "reopening keeps the reason";
    EXPECT_TRUE(file.isOpen());
    EXPECT_TRUE(file.isTemporary());
    EXPECT_EQ(file.fileName(), temporary);
    EXPECT_EQ(file.title(), "[noname.WAV]");
    ASSERT_EQ(put(file, "!"), 1);
    ASSERT_TRUE(file.saveAs(pathOf("x.wav").c_str()));
    EXPECT_TRUE(file.close());
    EXPECT_EQ(dataOf(pathOf("x.wav")), "take!");
}

TEST_F(RiffFileTest, SaveAsAcrossFileSystemsCopiesAndRemovesTheTemporary) {
    struct stat here {};
    struct stat there {};
    if (::stat(folder.c_str(), &here) != 0 || ::stat("/dev/shm", &there) != 0 ||
        here.st_dev == there.st_dev) {
        GTEST_SKIP() << "/dev/shm is missing or on the temporary folder's file system";
    }
    std::string otherFolder = "/dev/shm/lirveto-files-XXXXXX";
    ASSERT_NE(::mkdtemp(otherFolder.data()), nullptr);

    WaveFile file(nullptr, nullptr);
    ASSERT_TRUE(file.newFile(nullptr));
    const std::string samples = pattern(1001, 7);
    ASSERT_EQ(put(file, samples), 1001);
    ASSERT_TRUE(file.bringUpToDate());
    const Bytes source = readBytes(file.fileName());
    const std::string target = otherFolder + "/copied.wav";
    ASSERT_TRUE(file.saveAs(target.c_str()));
    EXPECT_EQ(readBytes(target), source) << "the copy is identical";
    EXPECT_TRUE(filesInFolder().empty()) << "the temporary source is removed";
    size_t inOther = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(otherFolder)) {
        ++inOther;
    }
    EXPECT_EQ(inOther, 1U) << "no staging file left beside the copy";
    ASSERT_EQ(put(file, "+"), 1);
    EXPECT_TRUE(file.close());
    EXPECT_EQ(dataOf(target), samples + "+");
    std::filesystem::remove_all(otherFolder);
}

// Save As follows the rule of every write: a link stays a link and its target takes the
// recording, which goes on there; a FIFO takes a copy and stays a FIFO, the recording staying
// where it was.
TEST_F(RiffFileTest, SaveAsOntoALinkReplacesItsTargetAndOntoAFifoWritesIntoIt) {
    namespace fs = std::filesystem;
    fs::create_directory(folder / "takes");
    writeBytes(folder / "takes" / "take.wav", {1, 2, 3});
    fs::create_symlink("takes/take.wav", folder / "latest.wav");
    WaveFile file(nullptr, nullptr);
    ASSERT_TRUE(file.newFile(nullptr));
    ASSERT_EQ(put(file, "linked"), 6);
    ASSERT_TRUE(file.saveAs(pathOf("latest.wav").c_str()));
    EXPECT_TRUE(fs::is_symlink(folder / "latest.wav"));
    EXPECT_EQ(file.title(), "latest.wav");
    ASSERT_EQ(put(file, "+"), 1);
    ASSERT_TRUE(file.bringUpToDate());
    EXPECT_EQ(dataOf(pathOf("takes/take.wav")), "linked+");

    const std::string pipe = pathOf("pipe.wav");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(file.saveAs(pipe.c_str()));
    Bytes got(4096);
    const ssize_t length = ::read(reader, got.data(), got.size());
    ::close(reader);
    got.resize(static_cast<size_t>(std::max<ssize_t>(length, 0)));
    EXPECT_EQ(got, readBytes(pathOf("takes/take.wav")));
    struct stat info {};
    ASSERT_EQ(::lstat(pipe.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(file.title(), "latest.wav");
    EXPECT_TRUE(file.close());
}

// A child process with a small file size limit: its writes fail for real, as on a full disk.
TEST_F(RiffFileTest, AFailedWriteIsReportedAndEarlierDataSurvivesTheUpdate) {
    const std::string name = pathOf("limited.wav");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        WaveFile file(name.c_str(), nullptr);
        const std::string block(100, 'a');
        int failures = 0;
        int written = 0;
        for (int i = 0; i < 12; ++i) {
            const int32_t result = file.write(block.data(), 100);
            if (result == -1) {
                ++failures;
            } else if (result == 100) {
                ++written;
            }
        }
        const bool updated = file.bringUpToDate();
        const bool consistent = file.length() == static_cast<uint32_t>(written) * 100;
        ::_exit(failures > 0 && written == 9 && updated && consistent ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const Bytes bytes = readBytes(name);
    ASSERT_EQ(bytes.size(), 58U + 900U) << "no torn block at the end";
    EXPECT_EQ(le32At(bytes, 4), 958U - 8U);
    EXPECT_EQ(le32At(bytes, 46), 900U);
    EXPECT_EQ(le32At(bytes, 54), 900U);
}

}  // namespace
