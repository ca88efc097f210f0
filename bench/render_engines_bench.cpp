// Wall time of `lirveto-render` for a 60 s gesture whose cursor moves every 10 ms, per engine:
// wave at the first-start format (22050 Hz 8-bit mono) and at 44100 Hz 16-bit stereo, midi (a
// tick every 5 ms) and dsound (a streaming step every millisecond, 44100 Hz 16-bit stereo).
// Seven runs each (two for a quick run); speed is 60 s over the wall time.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "bench_row.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr double kGestureSeconds = 60;

bool run(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return false;
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Case {
    std::string engine;
    std::string page;
    std::string format;
    std::string settingsFile;  // empty: the first-start settings
    std::string output;
    std::string target;
};

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder =
        fs::temp_directory_path() / ("lirveto-render-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string gesture = (folder / "sweep60.txt").string();
    {
        std::ofstream out(gesture);
        for (int t = 0; t <= 60000; t += 10) {
            out << t << ' ' << (t / 10 * 7) % 1920 << ' ' << (t / 40) % 1080 << '\n';
        }
    }
    const std::string full = (folder / "full.ini").string();
    std::ofstream(full) << "[Version]\n[Setup]\nStereo=1\nSampleRate=44kHz\nResolution="
                           "16bit\nPitch=1\nVolume=100\n";
    const std::string wav = (folder / "out.wav").string();
    const std::string mid = (folder / "out.mid").string();
    const std::vector<Case> cases{
        {"wave", "Wave", "22050 Hz 8-bit mono", "", wav, ">= 300"},
        {"wave", "Wave", "44100 Hz 16-bit stereo", full, wav, ">= 300"},
        {"midi", "Midi", "a tick every 5 ms", "", mid, ""},
        {"dsound", "DirectSound", "44100 Hz 16-bit stereo", full, wav, ""},
    };

    const bench::RowPrinter rows(argc, argv);
    const int runs = bench::runLength(7, 2);
    int status = 0;
    for (const Case& each : cases) {
        std::vector<double> speeds;
        for (int i = 0; i < runs; ++i) {
            std::vector<std::string> args{LIRVETO_RENDER_PATH, "--engine", each.engine,
                                          "--gesture",         gesture,    "--out",
                                          each.output};
            if (!each.settingsFile.empty()) {
                args.insert(args.end(), {"--settings", each.settingsFile});
            }
            const int64_t start = bench::monotonicNs();
            if (!run(args)) {
                std::fprintf(stderr, "bench_render_engines: lirveto-render --engine %s failed\n",
                             each.engine.c_str());
                status = 1;
                break;
            }
            speeds.push_back(kGestureSeconds * 1e9 /
                             static_cast<double>(bench::monotonicNs() - start));
        }
        if (speeds.size() != static_cast<size_t>(runs)) {
            continue;
        }
        // The slow end of speeds is the low quantile.
        const double median = bench::quantile(speeds, 0.5);
        const double slow = bench::quantile(speeds, 0.01);
        std::printf(
            "lirveto-render --engine %s, 60 s gesture, %s: median %.3f s (%.0fx real time), "
            "slowest %.3f s (%.0fx)\n",
            each.engine.c_str(), each.format.c_str(), kGestureSeconds / median, median,
            kGestureSeconds / slow, slow);
        rows.print({"lirveto-render speed, 60 s gesture, " + each.format + ", " +
                        std::to_string(runs) + " runs (slowest as p99)",
                    each.page, bench::fixed(median, 0), bench::fixed(slow, 0), "x real time",
                    each.target});
    }
    fs::remove_all(folder);
    return status;
}
