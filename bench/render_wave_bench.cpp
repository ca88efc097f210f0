// Wall time of `lirveto-render --engine wave` for a 60 s gesture whose cursor moves every 10 ms,
// at the first-start format (22050 Hz 8-bit mono) and at 44100 Hz 16-bit stereo.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

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

}  // namespace

int main() {
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
    std::ofstream(full)
        << "[Setup]\nStereo=1\nSampleRate=44kHz\nResolution=16bit\nPitch=1\nVolume=100\n";

    int status = 0;
    for (const std::string& settingsFile : {std::string(), full}) {
        std::vector<double> times;
        for (int i = 0; i < 7; ++i) {
            std::vector<std::string> args{
                LIRVETO_RENDER_PATH,          "--engine", "wave", "--gesture", gesture, "--out",
                (folder / "out.wav").string()};
            if (!settingsFile.empty()) {
                args.insert(args.end(), {"--settings", settingsFile});
            }
            const auto start = std::chrono::steady_clock::now();
            if (!run(args)) {
                std::fprintf(stderr, "bench_render_wave: lirveto-render failed\n");
                status = 1;
                break;
            }
            times.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        if (times.empty()) {
            continue;
        }
        std::sort(times.begin(), times.end());
        const double median = times[times.size() / 2];
        std::printf(
            "lirveto-render --engine wave, 60 s gesture, %s: median %.3f s, best %.3f s "
            "(%.0fx real time; target < 0.2 s, >= 300x)\n",
            settingsFile.empty() ? "22050 Hz 8-bit mono" : "44100 Hz 16-bit stereo", median,
            times.front(), 60.0 / median);
    }
    fs::remove_all(folder);
    return status;
}
