// Wall time of `lirveto-render` for a 60 s gesture whose cursor moves every 10 ms, per engine:
// wave at the first-start format (22050 Hz 8-bit mono) and at 44100 Hz 16-bit stereo, midi (a
// tick every 5 ms) and dsound (a streaming step every millisecond, 44100 Hz 16-bit stereo).
// Seven runs each (two for a quick run); speed is 60 s over the wall time.
// Then each engine plays a 600 s gesture with every playing aid off and on (semitones layout,
// correction toward a scale, timed glide), the runs of the two taking turns; the slowdown
// compares their median processor times, which other work on the machine disturbs less than
// wall time. The long gesture keeps the program's start-up out of the comparison.

#include <spawn.h>
#include <sys/resource.h>
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

const std::vector<std::string> kPlayingAids{"--layout",       "semitones:36:96", "--correction",
                                            "major:C:100:80", "--glide",         "50"};

// Runs the program to its end; false unless it exits 0. `cpuSeconds`, when given, gets the
// processor time (user and system) it took.
bool run(std::vector<std::string> args, double* cpuSeconds = nullptr) {
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
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        return false;
    }
    if (cpuSeconds != nullptr) {
        const auto seconds = [](const timeval& t) {
            return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
        };
        *cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The gesture: `seconds` long, the cursor moving every 10 ms.
std::string writeSweep(const fs::path& folder, int seconds) {
    const std::string path = (folder / ("sweep" + std::to_string(seconds) + ".txt")).string();
    std::ofstream out(path);
    for (int t = 0; t <= seconds * 1000; t += 10) {
        out << t << ' ' << (t / 10 * 7) % 1920 << ' ' << (t / 40) % 1080 << '\n';
    }
    return path;
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
    const std::string gesture = writeSweep(folder, 60);
    const std::string longGesture = writeSweep(folder, 600);
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
    const auto argsFor = [](const Case& each, const std::string& path, bool aids) {
        std::vector<std::string> args{
            LIRVETO_RENDER_PATH, "--engine", each.engine, "--gesture", path, "--out", each.output};
        if (!each.settingsFile.empty()) {
            args.insert(args.end(), {"--settings", each.settingsFile});
        }
        if (aids) {
            args.insert(args.end(), kPlayingAids.begin(), kPlayingAids.end());
        }
        return args;
    };
    for (const Case& each : cases) {
        std::vector<double> speeds;
        for (int i = 0; i < runs; ++i) {
            const int64_t start = bench::monotonicNs();
            if (!run(argsFor(each, gesture, false))) {
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

    const int pairs = bench::runLength(5, 1);
    for (const Case& each : cases) {
        std::vector<double> off;
        std::vector<double> on;
        for (int i = 0; i < pairs && status == 0; ++i) {
            for (const bool aids : {false, true}) {
                double seconds = 0;
                if (!run(argsFor(each, longGesture, aids), &seconds)) {
                    std::fprintf(stderr,
                                 "bench_render_engines: lirveto-render --engine %s%s failed\n",
                                 each.engine.c_str(), aids ? " with the playing aids" : "");
                    status = 1;
                    break;
                }
                (aids ? on : off).push_back(seconds);
            }
        }
        if (off.size() != static_cast<size_t>(pairs) || on.size() != off.size()) {
            continue;
        }
        const double medianOff = bench::quantile(off, 0.5);
        const double medianOn = bench::quantile(on, 0.5);
        const double slowdown = (medianOn / medianOff - 1.0) * 100.0;
        std::printf(
            "lirveto-render --engine %s, 600 s gesture, %s: median %.3f s of processor time "
            "with the playing aids off, %.3f s on: %+.1f %%\n",
            each.engine.c_str(), each.format.c_str(), medianOff, medianOn, slowdown);
        rows.print(
            {"lirveto-render slowdown, playing aids on against off, CPU time, 600 s "
             "gesture, " +
                 each.format + ", " + std::to_string(pairs) + " runs each",
             each.page, "", bench::fixed(slowdown, 1), "% slower", "< 2"});
    }
    fs::remove_all(folder);
    return status;
}
