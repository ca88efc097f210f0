#include "files/performance_file.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "settings/played_settings.h"

namespace files {

namespace {

constexpr std::string_view formatLine = "#lirveto-performance";
constexpr int formatVersion = 1;
constexpr std::string_view pageNames[] = {"wave", "dsound", "midi"};

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The blank-separated fields of a line, at most `N`; more make the count N + 1.
template <std::size_t N>
std::size_t splitFields(std::string_view line, std::array<std::string_view, N>& fields) {
    std::size_t count = 0;
    while (!(line = trimmed(line)).empty()) {
        if (count == N) {
            return N + 1;
        }
        const auto end = line.find_first_of(" \t");
        fields[count++] = line.substr(0, end);
        line = end == std::string_view::npos ? std::string_view{} : line.substr(end);
    }
    return count;
}

template <typename Integer>
bool readInteger(std::string_view field, Integer& value) {
    const auto [end, failure] = std::from_chars(field.data(), field.data() + field.size(), value);
    return failure == std::errc() && end == field.data() + field.size();
}

std::string quoted(std::string_view text) {
    std::string shown = "'";
    for (const char c : text.substr(0, 60)) {
        shown += c >= ' ' && c != '\x7f' ? c : '?';
    }
    return shown + (text.size() > 60 ? "...'" : "'");
}

class Parser {
  public:
    std::optional<Performance> parse(std::string_view text, std::string& error) {
        while (!text.empty()) {
            ++lineNumber;
            const auto newline = text.find('\n');
            const std::string_view raw = text.substr(0, newline);
            text =
                newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
            if (lineNumber == 1 && trimmed(raw).starts_with(formatLine)) {
                if (!formatHeader(trimmed(raw).substr(formatLine.size()))) {
                    error = why;
                    return std::nullopt;
                }
                continue;
            }
            const std::string_view line = trimmed(raw.substr(0, raw.find('#')));
            if (!line.empty() && !oneLine(line)) {
                error = why;
                return std::nullopt;
            }
        }
        if (result.reads.empty()) {
            error = performance ? "the performance holds no reads"
                                : "the file holds no 't_ms x y' lines";
            return std::nullopt;
        }
        if (result.readCount >= 0 && nextOrdinal > result.readCount) {
            error = "reads=" + std::to_string(result.readCount) + " is fewer than the " +
                    std::to_string(nextOrdinal) + " the file numbers";
            return std::nullopt;
        }
        return std::move(result);
    }

  private:
    bool fail(const std::string& what) {
        why = "line " + std::to_string(lineNumber) + ": " + what;
        return false;
    }

    bool formatHeader(std::string_view rest) {
        int version = 0;
        if (!readInteger(trimmed(rest), version) || version < 1) {
            return fail("expected '#lirveto-performance 1', found " +
                        quoted(std::string(formatLine) + std::string(rest)));
        }
        if (version > formatVersion) {
            return fail("the performance is of version " + std::to_string(version) +
                        ", newer than this program reads (" + std::to_string(formatVersion) + ")");
        }
        performance = true;
        return true;
    }

    bool oneLine(std::string_view line) {
        std::array<std::string_view, 4> fields;
        const std::size_t count = splitFields(line, fields);
        if (count == 1 && performance && fields[0].find('=') != std::string_view::npos) {
            return headerLine(fields[0]);
        }
        if (count == 3 && performance && fields[2].find('=') != std::string_view::npos) {
            return changeLine(fields);
        }
        if (count == 3 || (count == 4 && performance)) {
            return readLine(fields, count);
        }
        return fail(performance
                        ? "expected 't_ms n x y', 't_ms n Key=Value' or 'key=value', found " +
                              quoted(line)
                        : "expected three integers 't_ms x y', found " + quoted(line));
    }

    bool headerLine(std::string_view field) {
        if (!result.reads.empty() || !result.changes.empty()) {
            return fail("the header line " + quoted(field) + " comes after the reads");
        }
        const auto equals = field.find('=');
        const std::string_view key = field.substr(0, equals);
        const std::string_view value = field.substr(equals + 1);
        if (key == "page") {
            const auto* found = std::find(std::begin(pageNames), std::end(pageNames), value);
            if (found == std::end(pageNames)) {
                return fail("page " + quoted(value) + " is none of wave, dsound, midi");
            }
            result.page = static_cast<PerformancePage>(found - std::begin(pageNames));
            return true;
        }
        if (key == "screen") {
            const auto x = value.find('x');
            if (x == std::string_view::npos ||
                !readInteger(value.substr(0, x), result.screen.width) ||
                !readInteger(value.substr(x + 1), result.screen.height) ||
                result.screen.width <= 0 || result.screen.height <= 0) {
                return fail("screen " + quoted(value) + " is not WIDTHxHEIGHT");
            }
            return true;
        }
        if (key == "start") {
            result.start = value;
            return true;
        }
        if (key == "reads" || key == "length_ms" || key == "from_hz") {
            int64_t& count = key == "reads"       ? result.readCount
                             : key == "length_ms" ? result.lengthMs
                                                  : result.fromHz;
            if (!readInteger(value, count) || count < 0) {
                return fail(std::string(key) + " " + quoted(value) + " is not a whole number");
            }
            return true;
        }
        if (key == "cut") {
            result.cutShort = value == "short";
            return result.cutShort || fail("cut " + quoted(value) + " is not 'short'");
        }
        PerformanceSetting setting;
        if (!readSetting(field, setting)) {
            return false;
        }
        result.atPlay.push_back(std::move(setting));
        return true;
    }

    // key=value of a played setting, checked as the settings file would read it.
    bool readSetting(std::string_view field, PerformanceSetting& setting) {
        const auto equals = field.find('=');
        const std::string_view key = field.substr(0, equals);
        const std::string_view value = field.substr(equals + 1);
        const auto index = settings::playedSettingIndex(key);
        if (!index) {
            return fail("unknown setting " + quoted(key));
        }
        const settings::PlayedSetting& known = settings::playedSettings()[*index];
        if (!known.parse(value)) {
            return fail(std::string(known.key) + " " + quoted(value) + " is not a valid value");
        }
        setting.key = known.key;
        setting.value = value;
        return true;
    }

    bool timeAndOrdinal(std::string_view time, std::string_view ordinal, int64_t& timeMs,
                        int64_t& n) {
        if (!readInteger(time, timeMs) || !readInteger(ordinal, n)) {
            return fail("expected whole numbers for the time and the read, found " +
                        quoted(std::string(time) + " " + std::string(ordinal)));
        }
        if (timeMs < 0 || n < 0) {
            return fail("a negative time or read number");
        }
        if (timeMs < lastTimeMs) {
            return fail("time " + std::to_string(timeMs) + " ms comes before the previous line's " +
                        std::to_string(lastTimeMs) + " ms");
        }
        lastTimeMs = timeMs;
        return true;
    }

    // A file numbers all its reads (a performance, whose changes name the read they came before)
    // or none (a gesture): mixed, the order of its lines would mean two things.
    bool numberedReads(bool numbered) {
        if (numbering == 0) {
            numbering = numbered ? 1 : -1;
        } else if ((numbering > 0) != numbered) {
            return fail(numbered ? "a numbered read or a setting among a gesture's plain reads"
                                 : "a plain read among a performance's numbered reads");
        }
        return true;
    }

    bool changeLine(const std::array<std::string_view, 4>& fields) {
        PerformanceSetting change;
        if (!timeAndOrdinal(fields[0], fields[1], change.timeMs, change.ordinal) ||
            !readSetting(fields[2], change)) {
            return false;
        }
        if (change.ordinal < nextOrdinal) {
            return fail("read " + std::to_string(change.ordinal) + " is already past");
        }
        if (!numberedReads(true)) {
            return false;
        }
        if (change.ordinal < changedAtOrdinal) {
            return fail("read " + std::to_string(change.ordinal) +
                        " comes after a change at read " + std::to_string(changedAtOrdinal));
        }
        changedAtOrdinal = change.ordinal;
        result.changes.push_back(std::move(change));
        return true;
    }

    bool readLine(const std::array<std::string_view, 4>& fields, std::size_t count) {
        PerformanceRead read;
        const bool numbered = count == 4;
        if (!numberedReads(numbered)) {
            return false;
        }
        const std::string_view x = fields[numbered ? 2 : 1];
        const std::string_view y = fields[numbered ? 3 : 2];
        if (!readInteger(x, read.position.x) || !readInteger(y, read.position.y)) {
            return fail("expected whole numbers for x and y, found " + quoted(x) + " " + quoted(y));
        }
        if (numbered) {
            if (!timeAndOrdinal(fields[0], fields[1], read.timeMs, read.ordinal)) {
                return false;
            }
            if (read.ordinal < nextOrdinal) {
                return fail("read " + std::to_string(read.ordinal) +
                            " does not come after the previous read");
            }
            if (read.ordinal < changedAtOrdinal) {
                return fail("read " + std::to_string(read.ordinal) +
                            " comes after a change at read " + std::to_string(changedAtOrdinal));
            }
            nextOrdinal = read.ordinal + 1;
        } else if (!timeAndOrdinal(fields[0], "0", read.timeMs, read.ordinal)) {
            return false;
        } else {
            read.ordinal = -1;
        }
        result.reads.push_back(read);
        return true;
    }

    Performance result;
    bool performance = false;
    int lineNumber = 0;
    int64_t lastTimeMs = 0;
    int64_t changedAtOrdinal = 0;  // the read the last change came before
    int numbering = 0;             // 1: the reads are numbered, -1: they are not, 0: none yet
    int64_t nextOrdinal = 0;
    std::string why;
};

}  // namespace

std::string_view performancePageName(PerformancePage page) {
    return pageNames[static_cast<int>(page)];
}

std::optional<Performance> parsePerformance(std::string_view text, std::string& error) {
    return Parser().parse(text, error);
}

std::string performanceText(const Performance& performance) {
    std::string text = std::string(formatLine) + " " + std::to_string(formatVersion) + "\n";
    if (performance.page) {
        text += "page=" + std::string(performancePageName(*performance.page)) + "\n";
    }
    if (performance.screen.width > 0 && performance.screen.height > 0) {
        text += "screen=" + std::to_string(performance.screen.width) + "x" +
                std::to_string(performance.screen.height) + "\n";
    }
    if (!performance.start.empty()) {
        text += "start=" + performance.start + "\n";
    }
    if (performance.cutShort) {
        text += "cut=short\n";
    }
    if (performance.readCount >= 0) {
        text += "reads=" + std::to_string(performance.readCount) + "\n";
    }
    if (performance.lengthMs >= 0) {
        text += "length_ms=" + std::to_string(performance.lengthMs) + "\n";
    }
    if (performance.fromHz >= 0) {
        text += "from_hz=" + std::to_string(performance.fromHz) + "\n";
    }
    for (const PerformanceSetting& setting : performance.atPlay) {
        text += setting.key + "=" + setting.value + "\n";
    }
    // Both lists are in time order; a change comes before the read it shaped.
    auto change = performance.changes.begin();
    for (const PerformanceRead& read : performance.reads) {
        for (;
             change != performance.changes.end() &&
             (read.ordinal >= 0 ? change->ordinal <= read.ordinal : change->timeMs <= read.timeMs);
             ++change) {
            text += std::to_string(change->timeMs) + " " + std::to_string(change->ordinal) + " " +
                    change->key + "=" + change->value + "\n";
        }
        text += std::to_string(read.timeMs) + " ";
        if (read.ordinal >= 0) {
            text += std::to_string(read.ordinal) + " ";
        }
        text += std::to_string(read.position.x) + " " + std::to_string(read.position.y) + "\n";
    }
    for (; change != performance.changes.end(); ++change) {
        text += std::to_string(change->timeMs) + " " + std::to_string(change->ordinal) + " " +
                change->key + "=" + change->value + "\n";
    }
    return text;
}

}  // namespace files
