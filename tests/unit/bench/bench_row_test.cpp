// The row form every measuring tool prints: one line, eight tab-separated fields whatever the
// texts hold, and a command that a shell runs with exactly the arguments of the measured run.

#include "bench_row.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "support/scoped_environment_variable.h"

namespace {

using testing_support::ScopedEnvironmentVariable;

std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> parts(1);
    for (const char c : line) {
        if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

std::string shellOutput(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return "popen failed";
    }
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) {
        output += chunk;
    }
    ::pclose(pipe);
    return output;
}

TEST(BenchRow, KeepsEightFieldsWhateverTheTextsHold) {
    const std::string line = bench::rowLine(
        {"lateness,\ttab and\nbreak", "Midi", "", "3.5", "us\r", "p99 < 300"}, "tool 60");
    ASSERT_EQ(line.back(), '\n');
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    const std::vector<std::string> fields = split(line.substr(0, line.size() - 1), '\t');
    EXPECT_EQ(fields, (std::vector<std::string>{"ROW", "lateness, tab and break", "Midi", "-",
                                                "3.5", "us ", "p99 < 300", "tool 60"}));
}

TEST(BenchRow, CommandRepeatsTheRunsArgumentsThroughAShell) {
    ScopedEnvironmentVariable quick("LIRVETO_BENCH_QUICK");
    quick.unset();
    std::vector<std::string> args{"printf", "[%s]",  "plain", "two words", "it's",
                                  "",       "$HOME", "a;b|c", "--x=1"};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    const std::string command = bench::commandLine(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(command.rfind("printf '[%s]' plain ", 0), 0U) << command;
    EXPECT_EQ(shellOutput(command), "[plain][two words][it's][][$HOME][a;b|c][--x=1]");
}

TEST(BenchRow, QuickRunIsOnUnlessUnsetOrZero) {
    ScopedEnvironmentVariable quick("LIRVETO_BENCH_QUICK");
    char tool[] = "bench_tool";
    char* argv[] = {tool};
    const std::vector<std::pair<const char*, bool>> settings{
        {"1", true}, {"yes", true}, {"0", false}, {"", false}};
    for (const auto& [value, isQuick] : settings) {
        quick.set(value);
        EXPECT_EQ(bench::quickRun(), isQuick) << value;
        EXPECT_EQ(bench::runLength(60, 5), isQuick ? 5 : 60) << value;
        EXPECT_EQ(bench::commandLine(1, argv),
                  isQuick ? "LIRVETO_BENCH_QUICK=1 bench_tool" : "bench_tool")
            << value;
    }
    quick.unset();
    EXPECT_FALSE(bench::quickRun());
}

// The scripts print their rows through bench_row.sh: the same line for the same fields.
TEST(BenchRow, ShellScriptsPrintTheSameLine) {
    ScopedEnvironmentVariable quick("LIRVETO_BENCH_QUICK");
    quick.unset();
    const bench::Row row{"start-up, SoundFont\tloading", "", "812", "950", "ms", "< 300"};
    const std::string script = std::string("BENCH_COMMAND='bin/bench_startup_window' bash -c '") +
                               ". " LIRVETO_BENCH_ROW_SCRIPT + " && bench_row \"$@\"' row " +
                               bench::shellWord(row.what) + " '' 812 950 ms '< 300'";
    EXPECT_EQ(shellOutput(script), bench::rowLine(row, "bin/bench_startup_window"));

    quick.set("1");
    EXPECT_EQ(shellOutput(script),
              bench::rowLine(row, "LIRVETO_BENCH_QUICK=1 bin/bench_startup_window"));
}

}  // namespace
