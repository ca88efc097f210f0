// lirveto-render as users run it: a sweep comes out as a WAV whose pitch follows the cursor, bad
// input exits 2 with one line on stderr and no output file, a failed render leaves none either,
// and the output goes where every write of the program goes.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "support/file_size_limit.h"
#include "support/run_program.h"
#include "support/scoped_environment_variable.h"

namespace {

namespace fs = std::filesystem;
using testing_support::runProgram;

const std::string kRender = LIRVETO_RENDER_PATH;

class RenderCliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("lirveto-render-test-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
        // The temporary recording goes here too, so that a leftover one is seen.
        tmpdir.set(folder.string());
    }
    void TearDown() override {
        tmpdir.restore();
        fs::remove_all(folder);
    }

    std::string write(const std::string& name, const std::string& text) const {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::string out() const { return (folder / "out.wav").string(); }

    // The run failed as bad input: status 2, exactly one line, nothing written.
    void expectRefused(const std::vector<std::string>& args, const std::string& mention) {
        const auto run = runProgram(kRender, args);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(mention), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(out()));
        // No temporary recording is left behind either.
        for (const auto& entry : fs::directory_iterator(folder)) {
            EXPECT_EQ(entry.path().extension(), ".txt") << entry.path();
        }
    }

    fs::path folder;
    testing_support::ScopedEnvironmentVariable tmpdir{"TMPDIR"};
};

// Pitch 1 on the default 1920-pixel screen: 20 Hz + x * 1000 / 1920.
int32_t mappedHz(int32_t x) {
    return x * 1000 / 1920 + 20;
}

TEST_F(RenderCliTest, ASweepLeftToRightRisesInPitchAsTheMappingSays) {
    const std::string ini = write("sweep.ini", "[Version]\n[Setup]\nPitch=1\nVolume=100\n");
    // Hold at 120 Hz for 0.5 s, glide to 920 Hz over 2 s, hold for 1 s.
    std::string gesture = "# t_ms x y\n0 192 540\n";
    for (int t = 500; t <= 2500; t += 20) {
        gesture +=
            std::to_string(t) + " " + std::to_string(192 + (t - 500) * 1536 / 2000) + " 540\n";
    }
    gesture += "3500 1728 540\n";
    const std::string path = write("sweep.txt", gesture);
    const auto run = runProgram(
        kRender, {"--engine", "wave", "--gesture", path, "--out", out(), "--settings", ini});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty());
    for (const auto& entry : fs::directory_iterator(folder)) {
        EXPECT_NE(entry.path().extension(), ".TMP") << "temporary recording left behind";
    }

    std::ifstream in(out(), std::ios::binary);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
    ASSERT_GT(file.size(), 58U);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(file[22], 1);  // mono
    EXPECT_EQ(file[24] | file[25] << 8, 22050);
    EXPECT_EQ(file[34], 8);  // 8-bit
    const uint32_t dataSize = file[54] | file[55] << 8 | file[56] << 16 | uint32_t{file[57]} << 24;
    ASSERT_LE(58 + dataSize, file.size());
    EXPECT_EQ(file[46] | file[47] << 8 | file[48] << 16 | uint32_t{file[49]} << 24, dataSize);
    EXPECT_GE(dataSize, 3500U * 22050 / 1000);

    // Pitch over 200 ms windows from rising zero crossings, against the cursor of that time.
    // The sound trails the cursor by up to two buffers (about 0.3 s).
    constexpr int kWindow = 22050 / 5;
    double previous = 0;
    for (int start = 0; start + kWindow <= 3500 * 22050 / 1000; start += kWindow) {
        int crossings = 0;
        int first = -1;
        int last = -1;
        for (int i = start + 1; i < start + kWindow; ++i) {
            if (file[58 + i - 1] < 128 && file[58 + i] >= 128) {
                first = first < 0 ? i : first;
                last = i;
                ++crossings;
            }
        }
        ASSERT_GE(crossings, 2) << "window at " << start;
        const double hz = (crossings - 1) * 22050.0 / (last - first);
        const int startMs = start * 1000 / 22050;
        const auto cursorX = [](int ms) {
            return ms <= 500 ? 192 : ms >= 2500 ? 1728 : 192 + (ms - 500) * 1536 / 2000;
        };
        EXPECT_GE(hz, mappedHz(cursorX(startMs - 400)) * 0.97 - 3) << "at " << startMs << " ms";
        EXPECT_LE(hz, mappedHz(cursorX(startMs + 200)) * 1.03 + 3) << "at " << startMs << " ms";
        EXPECT_GE(hz, previous * 0.97) << "at " << startMs << " ms";
        previous = hz;
    }
    EXPECT_NEAR(previous, mappedHz(1728), mappedHz(1728) * 0.01);
}

TEST_F(RenderCliTest, TheDsoundEngineStreamsAHeldCursorAsASteadyToneAfterItsSlew) {
    const std::string ini = write("held.ini", "[Version]\n[Setup]\nPitch=1\nVolume=100\n");
    const std::string path = write("held.txt", "0 960 0\n2000 960 0\n");
    const auto run = runProgram(
        kRender, {"--engine", "dsound", "--gesture", path, "--out", out(), "--settings", ini});
    ASSERT_EQ(run.status, 0) << run.err;

    std::ifstream in(out(), std::ios::binary);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
    ASSERT_GT(file.size(), 58u);
    const std::vector<uint8_t> data(file.begin() + 58, file.end());
    // From the first step's write cursor (22 bytes at 1 ms) to 441..463 bytes past the last one
    // (44100 bytes at 2000 ms).
    EXPECT_GE(data.size(), 44100u + 441 - 22);
    EXPECT_LE(data.size(), 44100u + 463 - 22 + 1);

    // The pitch climbs 5 Hz a step from 0, so after 104 steps it holds at 520 Hz: count the
    // rising zero crossings of the last second.
    int crossings = 0;
    for (size_t i = data.size() - 22050; i < data.size(); ++i) {
        crossings += data[i - 1] < 128 && data[i] >= 128 ? 1 : 0;
    }
    EXPECT_NEAR(crossings, mappedHz(960), 3);
}

TEST_F(RenderCliTest, HelpPrintsTheUsageAndVersionTheVersion) {
    const auto help = runProgram(kRender, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--engine wave|dsound|midi --gesture FILE --out FILE"),
              std::string::npos);
    const auto version = runProgram(kRender, {"--version"});
    EXPECT_EQ(version.status, 0) << version.err;
    EXPECT_EQ(version.out, std::string("lirveto-render ") + LIRVETO_VERSION_TEXT + " (" +
                               std::to_string(sizeof(void*) * 8) + "bit)\n");
}

TEST_F(RenderCliTest, BadInputExitsTwoWithOneLineAndNoOutput) {
    const std::string good = write("good.txt", "0 100 100\n500 900 100\n");
    const std::string malformed = write("malformed.txt", "0 100 100\n200 x 100\n");
    const std::string backwards = write("backwards.txt", "300 100 100\n200 1 100\n");
    const std::string missing = (folder / "missing.txt").string();
    expectRefused({"--engine", "wave", "--gesture", malformed, "--out", out()}, "line 2");
    expectRefused({"--engine", "wave", "--gesture", backwards, "--out", out()}, "line 2");
    expectRefused({"--engine", "wave", "--gesture", missing, "--out", out()}, "missing.txt");
    expectRefused({"--engine", "wave", "--gesture", good, "--out", out(), "--screen", "0x1080"},
                  "--screen");
    expectRefused({"--engine", "organ", "--gesture", good, "--out", out()}, "organ");
    expectRefused({"--engine", "wave", "--gesture", good, "--out", out(), "--settings",
                   (folder / "none.ini").string()},
                  "none.ini");
    // Read as settings, a file that is none would set every value to its INI default.
    expectRefused({"--engine", "wave", "--gesture", good, "--out", out(), "--settings",
                   write("notes.txt", "[Setup]\nPitch=1\n")},
                  "notes.txt is not a settings file: it has no [Version] section");
    expectRefused({"--engine", "wave", "--gesture", good, "--out",
                   (folder / "no-such-folder" / "x.wav").string()},
                  "no-such-folder");
    expectRefused({"--engine", "wave", "--gesture", good, "--out", folder.string()}, "directory");
    // The first start's format, 8-bit mono at 22050 Hz, holds about 54 hours.
    expectRefused(
        {"--engine", "wave", "--gesture", good, "--out", out(), "--duration", "90000000000"},
        "a WAV file at 22050 bytes per second holds at most 194777645 ms");
    // A still pointer's note, struck at the first tick (5 ms), is timed off at the last tick:
    // at most 0x0FFFFFFF ms later, the longest delta time.
    expectRefused(
        {"--engine", "midi", "--gesture", good, "--out", out(), "--duration", "268435465"},
        "a render of 268435465 ms is too long: a MIDI file holds at most 268435464 ms");
    expectRefused({"--engine", "wave", "--gesture", good, "--out", out(), "--out", out()}, "twice");
}

// Whatever the gesture file holds or is called, the error stays one line of plain text: no
// control byte (C0, DEL, C1) reaches the terminal; letters stay.
TEST_F(RenderCliTest, ControlBytesInAGestureFileOrItsNameStayOutOfTheErrorLine) {
    const std::string named = write("caf\xc3\xa9\x1b[31m.txt", "0 1 2\n5 5 5 x\n");
    const std::string binary =
        write("binary.txt", std::string("0 1 2\n\x9b\x01\x7f \xc2\x85 5\0 5\n", 19));
    for (const std::string& path : {named, binary}) {
        SCOPED_TRACE(path);
        const auto run =
            runProgram(kRender, {"--engine", "midi", "--gesture", path, "--out", out()});
        EXPECT_EQ(run.status, 2);
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1);
        for (const char c : run.err.substr(0, run.err.size() - 1)) {
            const auto byte = static_cast<uint8_t>(c);
            EXPECT_FALSE(byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) << static_cast<int>(byte);
        }
        EXPECT_NE(run.err.find("line 2"), std::string::npos) << run.err;
    }
    const auto run = runProgram(kRender, {"--engine", "midi", "--gesture", named, "--out", out()});
    EXPECT_NE(run.err.find("caf\xc3\xa9?[31m.txt"), std::string::npos) << run.err;
}

// A disk that fills during the render (here: a file size limit the renderer inherits) fails it
// with the system's reason; nothing is left at the output path or in the temporary folder.
TEST_F(RenderCliTest, AFullDiskFailsTheRenderWithTheSystemsReasonAndLeavesNothing) {
    std::string moves;
    for (int t = 0; t <= 20000; t += 5) {
        moves += std::to_string(t) + " " + std::to_string(t * 7 % 1900) + " " +
                 std::to_string(t * 3 % 1000) + "\n";
    }
    const std::string gesture = write("moves.txt", moves);
    for (const char* engine : {"midi", "wave", "dsound"}) {
        SCOPED_TRACE(engine);
        testing_support::ProgramRun run;
        {
            const testing_support::FileSizeLimit fullDisk(20000);
            run = runProgram(kRender, {"--engine", engine, "--gesture", gesture, "--out", out()});
        }
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find("Can't write"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(std::generic_category().message(EFBIG)), std::string::npos)
            << run.err;
        EXPECT_FALSE(fs::exists(out()));
        for (const auto& entry : fs::directory_iterator(folder)) {
            EXPECT_EQ(entry.path().extension(), ".txt") << entry.path();
        }
    }
}

// The output goes where a write to its path goes: a link stays a link and its target (made when
// missing) takes the render; a FIFO and standard output are written as they are.
TEST_F(RenderCliTest, TheOutputFollowsLinksAndWritesFifosAndStandardOutputDirectly) {
    const std::string gesture = write("g.txt", "0 100 100\n300 900 500\n600 1500 200\n");
    const auto render = [&gesture](const std::string& outPath) {
        return runProgram(kRender, {"--engine", "midi", "--gesture", gesture, "--out", outPath});
    };
    const std::string plain = (folder / "plain.mid").string();
    ASSERT_EQ(render(plain).status, 0);
    const std::string expected = testing_support::readAll(plain);
    ASSERT_GT(expected.size(), 56U);

    fs::create_directory(folder / "takes");
    std::ofstream(folder / "takes" / "old.mid") << "an older render";
    fs::create_symlink("takes/old.mid", folder / "latest.mid");
    fs::create_symlink("takes/new.mid", folder / "dangling.mid");
    for (const char* link : {"latest.mid", "dangling.mid"}) {
        SCOPED_TRACE(link);
        const auto run = render((folder / link).string());
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(fs::is_symlink(folder / link));
        EXPECT_EQ(testing_support::readAll(
                      (folder / "takes" / fs::read_symlink(folder / link).filename()).string()),
                  expected);
    }

    const std::string pipe = (folder / "pipe.mid").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const auto run = render(pipe);
    EXPECT_EQ(run.status, 0) << run.err;
    std::string got(64 * 1024, '\0');
    const ssize_t length = ::read(reader, got.data(), got.size());
    ::close(reader);
    got.resize(static_cast<size_t>(std::max<ssize_t>(length, 0)));
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(fs::is_fifo(pipe));

    const auto toStandardOutput = render("-");
    EXPECT_EQ(toStandardOutput.status, 0) << toStandardOutput.err;
    EXPECT_EQ(toStandardOutput.out, expected);
    for (const auto& entry : fs::directory_iterator(folder)) {
        EXPECT_NE(entry.path().extension(), ".TMP") << "temporary recording left behind";
    }
}

TEST_F(RenderCliTest, AGestureGivenAsAPerformanceRendersAsAGestureOnceAnEngineIsChosen) {
    const std::string gesture = write("sweep.txt", "0 0 500\n300 1919 500\n");
    const std::string asGesture = (folder / "gesture.wav").string();
    ASSERT_EQ(
        runProgram(kRender, {"--engine", "wave", "--gesture", gesture, "--out", asGesture}).status,
        0);
    ASSERT_EQ(
        runProgram(kRender, {"--engine", "wave", "--performance", gesture, "--out", out()}).status,
        0);
    auto bytes = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ(bytes(out()), bytes(asGesture));
    fs::remove(out());
    fs::remove(asGesture);
    expectRefused({"--performance", gesture, "--out", out()}, "names no page");
}

TEST_F(RenderCliTest, ARefusedRenderKeepsAnExistingOutputFile) {
    const std::string before = "an older render";
    std::ofstream(out()) << before;
    const std::string malformed = write("malformed.txt", "0 1 1 1\n");
    const auto run =
        runProgram(kRender, {"--engine", "wave", "--gesture", malformed, "--out", out()});
    EXPECT_EQ(run.status, 2);
    std::ifstream in(out());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
              before);
}

}  // namespace
