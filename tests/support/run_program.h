#pragma once
// Runs a program to completion and keeps its exit status and what it wrote to stdout and stderr.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace testing_support {

struct ProgramRun {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

inline std::string readAll(const std::string& path) {
    // Read through the stream buffer whole: GCC's optimiser takes the character iterators over
    // it for a possible null dereference (-Wnull-dereference).
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args) {
    namespace fs = std::filesystem;
    const std::string stem =
        (fs::temp_directory_path() / ("lirveto-run-" + std::to_string(::getpid()) + "-")).string();
    const std::string outPath = stem + "out";
    const std::string errPath = stem + "err";

    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    ProgramRun run;
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        if (::waitpid(child, &status, 0) == child && WIFEXITED(status)) {
            run.status = WEXITSTATUS(status);
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = readAll(outPath);
    run.err = readAll(errPath);
    std::error_code ignored;
    fs::remove(outPath, ignored);
    fs::remove(errPath, ignored);
    return run;
}

}  // namespace testing_support
