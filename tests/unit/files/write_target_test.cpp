// Where a write to a path goes: links followed to the file they name, FIFOs, devices and
// standard output written as they are, regular files and new names replaced.

#include "platform/write_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "file_test_support.h"
#include "platform/atomic_file.h"

namespace {

using namespace platform;
using namespace files_test;

class WriteTargetTest : public TempFolderTest {};

TEST_F(WriteTargetTest, EachKindOfPathGoesWhereItShould) {
    namespace fs = std::filesystem;
    writeBytes(folder / "plain.mid", {1});
    fs::create_directory(folder / "sub");
    writeBytes(folder / "sub" / "far.mid", {2});
    ASSERT_EQ(::mkfifo(pathOf("pipe").c_str(), 0600), 0);
    fs::create_symlink("sub/far.mid", folder / "relative-link");
    fs::create_symlink(folder / "relative-link", folder / "link-to-link");
    fs::create_symlink("sub/not-yet.mid", folder / "dangling");
    fs::create_symlink("pipe", folder / "link-to-pipe");

    struct Case {
        std::string path;
        WriteMethod method;
        std::string target;  // empty: standard output
    };
    const std::vector<Case> cases = {
        {pathOf("new.mid"), WriteMethod::Replace, pathOf("new.mid")},
        {pathOf("plain.mid"), WriteMethod::Replace, pathOf("plain.mid")},
        {pathOf("relative-link"), WriteMethod::Replace, pathOf("sub/far.mid")},
        {pathOf("link-to-link"), WriteMethod::Replace, pathOf("sub/far.mid")},
        {pathOf("dangling"), WriteMethod::Replace, pathOf("sub/not-yet.mid")},
        {pathOf("pipe"), WriteMethod::Direct, pathOf("pipe")},
        {pathOf("link-to-pipe"), WriteMethod::Direct, pathOf("pipe")},
        {"/dev/null", WriteMethod::Direct, "/dev/null"},
        {"-", WriteMethod::Direct, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        WriteTarget target;
        ASSERT_TRUE(resolveWriteTarget(c.path, target));
        EXPECT_EQ(target.method, c.method);
        EXPECT_EQ(target.isStandardOutput(), c.target.empty());
        if (!c.target.empty()) {
            EXPECT_TRUE(fs::equivalent(fs::path(target.path).parent_path(),
                                       fs::path(c.target).parent_path()));
            EXPECT_EQ(fs::path(target.path).filename(), fs::path(c.target).filename());
        }
    }

    fs::create_symlink("loop-b", folder / "loop-a");
    fs::create_symlink("loop-a", folder / "loop-b");
    const std::vector<std::pair<std::string, int>> refused = {
        {folder.string(), EISDIR}, {pathOf("loop-a"), ELOOP}, {"", ENOENT}};
    for (const auto& [path, reason] : refused) {
        SCOPED_TRACE(path);
        WriteTarget target;
        errno = 0;
        EXPECT_FALSE(resolveWriteTarget(path, target));
        EXPECT_EQ(errno, reason);
    }

    // As many links as the system follows in one path, and not one more.
    std::string chain = "plain.mid";
    for (int n = 1; n <= 41; ++n) {
        fs::create_symlink(chain, folder / ("chain" + std::to_string(n)));
        chain = "chain" + std::to_string(n);
    }
    WriteTarget target;
    ASSERT_TRUE(resolveWriteTarget(pathOf("chain40"), target));
    EXPECT_EQ(fs::path(target.path).filename(), "plain.mid");
    EXPECT_FALSE(resolveWriteTarget(pathOf("chain41"), target));
    EXPECT_EQ(errno, ELOOP);
}

// The settings stores write by the same rule: a FIFO takes the text and stays a FIFO.
TEST_F(WriteTargetTest, AWholeFileReplacementWritesAFifoDirectly) {
    const std::string pipe = pathOf("settings.ini");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(replaceFileAtomically(pipe, "[Setup]\nPitch=1\n"));
    std::string got(256, '\0');
    const ssize_t length = ::read(reader, got.data(), got.size());
    ::close(reader);
    got.resize(static_cast<size_t>(std::max<ssize_t>(length, 0)));
    EXPECT_EQ(got, "[Setup]\nPitch=1\n");
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"settings.ini"});
}

// A replaced file keeps its permissions, even those the umask would narrow; a new one takes the
// umask's.
TEST_F(WriteTargetTest, AReplacedFileKeepsItsPermissions) {
    const mode_t before = ::umask(022);
    for (const mode_t mode : {0600, 0666, 0}) {  // 0: a new file
        const std::string path = pathOf(std::to_string(mode) + ".ini");
        if (mode != 0) {
            writeBytes(path, {1});
            ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        }
        ASSERT_TRUE(replaceFileAtomically(path, "x=1\n"));
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode != 0 ? mode : 0644) << std::oct << mode;
    }
    ::umask(before);
}

TEST_F(WriteTargetTest, AWholeFileReadTakesUpToItsLimitAndTellsAMissingFileFromAFailure) {
    writeBytes(pathOf("four"), {1, 2, 3, 4});
    std::string contents;
    EXPECT_EQ(readWholeFile(pathOf("four"), contents, 4), FileRead::Ok);
    EXPECT_EQ(contents.size(), 4U);
    EXPECT_EQ(readWholeFile(pathOf("four"), contents, 3), FileRead::Failed);
    EXPECT_EQ(readWholeFile(pathOf("none"), contents, 4), FileRead::Missing);
    EXPECT_EQ(readWholeFile(pathOf("four") + "/x", contents, 4), FileRead::Missing)
        << "a file where a folder would be";
}

}  // namespace
