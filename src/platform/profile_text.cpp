#include "platform/profile_text.h"

#include <cstddef>

#include "platform/ascii_text.h"

namespace platform::profile {

namespace {

enum class LineKind { Blank, Comment, Section, Key, Other };

struct Line {
    std::size_t begin = 0;  // first byte of the line
    std::size_t end = 0;    // one past its last byte, before any "\r\n" or "\n"
    std::size_t next = 0;   // first byte of the following line
    LineKind kind = LineKind::Blank;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // key value, trimmed
};

// What the INI reader skips around names and values.
constexpr std::string_view blanks = " \t\r\v\f";

std::string_view trim(std::string_view s) {
    return text::trimmed(s, blanks);
}

Line classify(std::string_view text, std::size_t begin) {
    Line line;
    line.begin = begin;
    const auto newline = text.find('\n', begin);
    line.next = newline == std::string_view::npos ? text.size() : newline + 1;
    line.end = newline == std::string_view::npos ? text.size() : newline;
    if (line.end > begin && text[line.end - 1] == '\r') {
        --line.end;
    }
    const std::string_view content = trim(text.substr(begin, line.end - begin));
    if (content.empty()) {
        line.kind = LineKind::Blank;
    } else if (content.front() == ';') {
        line.kind = LineKind::Comment;
    } else if (content.front() == '[') {
        line.kind = LineKind::Section;
        line.name = trim(content.substr(1, content.find(']') - 1));
    } else if (const auto equals = content.find('='); equals != std::string_view::npos) {
        line.name = trim(content.substr(0, equals));
        line.value = trim(content.substr(equals + 1));
        line.kind = line.name.empty() ? LineKind::Other : LineKind::Key;
    } else {
        line.kind = LineKind::Other;
    }
    return line;
}

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    for (std::size_t at = 0; at < text.size();) {
        lines.push_back(classify(text, at));
        at = lines.back().next;
    }
    return lines;
}

// The first section named `section`: index of its header and one past its last line.
struct SectionSpan {
    std::size_t header = 0;
    std::size_t endLine = 0;
};

std::optional<SectionSpan> findSection(const std::vector<Line>& lines, std::string_view section) {
    section = trim(section);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Section && text::equalIgnoringCase(lines[i].name, section)) {
            std::size_t end = i + 1;
            while (end < lines.size() && lines[end].kind != LineKind::Section) {
                ++end;
            }
            return SectionSpan{i, end};
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<Line>& lines, const SectionSpan& span,
                                   std::string_view key) {
    key = trim(key);
    for (std::size_t i = span.header + 1; i < span.endLine; ++i) {
        if (lines[i].kind == LineKind::Key && text::equalIgnoringCase(lines[i].name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

bool hasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos ||
           s.find('\0') != std::string_view::npos;
}

bool writableSection(std::string_view section) {
    return !trim(section).empty() && !hasLineBreak(section) &&
           section.find(']') == std::string_view::npos;
}

bool writableKey(std::string_view key) {
    key = trim(key);
    return !key.empty() && !hasLineBreak(key) && key.find('=') == std::string_view::npos &&
           key.front() != '[' && key.front() != ';';
}

std::string_view newlineOf(std::string_view text) {
    const auto newline = text.find('\n');
    return (newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r') ? "\r\n"
                                                                                           : "\n";
}

}  // namespace

std::optional<std::string_view> findValue(std::string_view text, std::string_view section,
                                          std::string_view key) {
    const auto lines = splitLines(text);
    const auto span = findSection(lines, section);
    if (!span) {
        return std::nullopt;
    }
    const auto index = findKey(lines, *span, key);
    if (!index) {
        return std::nullopt;
    }
    std::string_view value = lines[*index].value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

std::vector<std::string_view> sectionNames(std::string_view text) {
    std::vector<std::string_view> names;
    for (const Line& line : splitLines(text)) {
        if (line.kind == LineKind::Section) {
            names.push_back(line.name);
        }
    }
    return names;
}

std::vector<std::string_view> keyNames(std::string_view text, std::string_view section) {
    std::vector<std::string_view> names;
    const auto lines = splitLines(text);
    if (const auto span = findSection(lines, section)) {
        for (std::size_t i = span->header + 1; i < span->endLine; ++i) {
            if (lines[i].kind == LineKind::Key) {
                names.push_back(lines[i].name);
            }
        }
    }
    return names;
}

std::optional<std::string> withValue(std::string_view text, std::string_view section,
                                     std::string_view key, const char* value) {
    if (!writableSection(section) || !writableKey(key) ||
        (value != nullptr && hasLineBreak(value))) {
        return std::nullopt;
    }
    const std::string_view newline = newlineOf(text);
    const auto lines = splitLines(text);
    const auto span = findSection(lines, section);
    std::string result;
    if (!span) {
        if (value == nullptr) {
            return std::string(text);
        }
        result = text;
        if (!result.empty() && result.back() != '\n') {
            result += newline;
        }
        if (!result.empty()) {
            result += newline;
        }
        result.append("[").append(trim(section)).append("]").append(newline);
        result.append(trim(key)).append("=").append(value).append(newline);
        return result;
    }
    if (const auto index = findKey(lines, *span, key)) {
        const Line& line = lines[*index];
        result = text.substr(0, line.begin);
        if (value != nullptr) {
            // Keep the file's spelling of the key and the line's own ending.
            result.append(line.name).append("=").append(value);
            result.append(text.substr(line.end, line.next - line.end));
        }
        result.append(text.substr(line.next));
        return result;
    }
    if (value == nullptr) {
        return std::string(text);
    }
    // A new key goes after the section's last non-blank line, before any blank lines.
    std::size_t after = span->header;
    for (std::size_t i = span->header + 1; i < span->endLine; ++i) {
        if (lines[i].kind != LineKind::Blank) {
            after = i;
        }
    }
    const Line& anchor = lines[after];
    result = text.substr(0, anchor.next);
    if (anchor.next == text.size() && text.back() != '\n') {  // last line, no line break
        result += newline;
    }
    result.append(trim(key)).append("=").append(value).append(newline);
    result.append(text.substr(anchor.next));
    return result;
}

std::optional<std::string> withoutSection(std::string_view text, std::string_view section) {
    if (!writableSection(section)) {
        return std::nullopt;
    }
    const auto lines = splitLines(text);
    const auto span = findSection(lines, section);
    if (!span) {
        return std::string(text);
    }
    const std::size_t from = lines[span->header].begin;
    const std::size_t to = span->endLine < lines.size() ? lines[span->endLine].begin : text.size();
    std::string result(text.substr(0, from));
    result.append(text.substr(to));
    return result;
}

}  // namespace platform::profile
