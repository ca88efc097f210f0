#pragma once
// The one line form in which every measuring tool reports its figures, so that run-bench.sh can
// gather them into a single table:
//   ROW <tab> what <tab> page <tab> median <tab> p99 or value <tab> unit <tab> target <tab> command
// The table puts together the rows whose `what` agrees up to its first comma, so rows that
// compare across pages begin alike ("cursor-to-sound latency, ..."). An empty field prints "-".

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace bench {

// LIRVETO_BENCH_QUICK (set and not "0") shortens every run: for trying the tools, not for figures.
inline bool quickRun() {
    const char* quick = std::getenv("LIRVETO_BENCH_QUICK");
    return quick != nullptr && *quick != '\0' && std::strcmp(quick, "0") != 0;
}

inline int runLength(int full, int quick) {
    return quickRun() ? quick : full;
}

inline std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// A word as a POSIX shell reads it back: quoted unless it is plainly safe.
inline std::string shellWord(const std::string& word) {
    const bool plain = !word.empty() && word.find_first_not_of(
                                            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                            "0123456789_./=:,+-@%") == std::string::npos;
    if (plain) {
        return word;
    }
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// The command that repeats this run, as typed: the quick setting first when it is on.
inline std::string commandLine(int argc, char** argv) {
    std::string command = quickRun() ? "LIRVETO_BENCH_QUICK=1" : "";
    for (int i = 0; i < argc; ++i) {
        if (!command.empty()) {
            command += ' ';
        }
        command += shellWord(argv[i]);
    }
    return command;
}

struct Row {
    std::string what;
    std::string page;
    std::string median;
    std::string value;  // the p99 beside a median, or the one figure
    std::string unit;
    std::string target;
};

// A field never splits the line: tabs and line breaks become spaces.
inline std::string rowField(const std::string& text) {
    if (text.empty()) {
        return "-";
    }
    std::string field = text;
    for (char& c : field) {
        if (c == '\t' || c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return field;
}

inline std::string rowLine(const Row& row, const std::string& command) {
    std::string line = "ROW";
    for (const std::string* field :
         {&row.what, &row.page, &row.median, &row.value, &row.unit, &row.target, &command}) {
        line += '\t' + rowField(*field);
    }
    return line + '\n';
}

class RowPrinter {
  public:
    RowPrinter(int argc, char** argv) : command(commandLine(argc, argv)) {}
    void print(const Row& row) const {
        std::fputs(rowLine(row, command).c_str(), stdout);
        std::fflush(stdout);
    }

  private:
    std::string command;
};

}  // namespace bench
