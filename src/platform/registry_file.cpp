#include "platform/registry_file.h"

#include <algorithm>
#include <cstddef>
#include <optional>

#include "platform/ascii_text.h"

namespace platform {

namespace {

constexpr std::string_view headerLine = "REGEDIT4";
constexpr std::string_view newerHeaderLine = "Windows Registry Editor Version 5.00";
constexpr std::size_t wrapColumn = 76;

// What the registry reader skips around lines, names and data.
constexpr std::string_view blanks = " \t\r";

std::string_view trim(std::string_view s) {
    return text::trimmed(s, blanks);
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && sameValueName(s.substr(0, prefix.size()), prefix);
}

std::optional<uint32_t> hexNumber(std::string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (char c : s) {
        c = text::asciiLower(c);
        uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<uint32_t>(c - 'a' + 10);
        } else {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return value;
}

// A quoted text at the start of `s`, with \\ and \" unescaped; `s` is left after the closing
// quote. Any other backslash stays as written, as a hand-typed path would have it.
std::optional<std::string> takeQuoted(std::string_view& s) {
    if (s.empty() || s.front() != '"') {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] == '"') {
            s.remove_prefix(i + 1);
            return text;
        }
        if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            ++i;
        }
        text += s[i];
    }
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> hexBytes(std::string_view s) {
    std::vector<uint8_t> bytes;
    if (trim(s).empty()) {
        return bytes;
    }
    for (;;) {
        const auto comma = s.find(',');
        const auto byte = hexNumber(trim(s.substr(0, comma)), 2);
        if (!byte) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<uint8_t>(*byte));
        if (comma == std::string_view::npos) {
            return bytes;
        }
        s.remove_prefix(comma + 1);
    }
}

// The typed data after "=": nothing for damaged data; type REG_NONE with no data for "-", the
// removal mark.
std::optional<RegistryValue> parseData(std::string_view data) {
    RegistryValue value;
    if (data == "-") {
        return value;
    }
    if (!data.empty() && data.front() == '"') {
        auto text = takeQuoted(data);
        if (!text || !trim(data).empty()) {
            return std::nullopt;
        }
        value.type = REG_SZ;
        value.data.assign(text->begin(), text->end());
        value.data.push_back(0);
        return value;
    }
    if (startsWithNoCase(data, "dword:")) {
        const auto number = hexNumber(trim(data.substr(6)), 8);
        if (!number) {
            return std::nullopt;
        }
        value.type = REG_DWORD;
        for (int shift = 0; shift < 32; shift += 8) {
            value.data.push_back(static_cast<uint8_t>(*number >> shift));
        }
        return value;
    }
    if (startsWithNoCase(data, "hex:")) {
        value.type = REG_BINARY;
        data.remove_prefix(4);
    } else if (startsWithNoCase(data, "hex(")) {
        const auto close = data.find("):");
        const auto type = close == std::string_view::npos ? std::nullopt
                                                          : hexNumber(data.substr(4, close - 4), 8);
        if (!type) {
            return std::nullopt;
        }
        value.type = *type;
        data.remove_prefix(close + 2);
    } else {
        return std::nullopt;
    }
    auto bytes = hexBytes(data);
    if (!bytes) {
        return std::nullopt;
    }
    value.data = std::move(*bytes);
    return value;
}

void store(RegistryContents& contents, RegistryValue value, bool remove) {
    auto& values = contents.values;
    const auto found = std::find_if(values.begin(), values.end(), [&](const RegistryValue& v) {
        return sameValueName(v.name, value.name);
    });
    if (remove) {
        if (found != values.end()) {
            values.erase(found);
        }
    } else if (found != values.end()) {
        found->type = value.type;
        found->data = std::move(value.data);
    } else {
        values.push_back(std::move(value));
    }
}

std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

bool printableText(const std::vector<uint8_t>& data) {
    if (data.empty() || data.back() != 0) {
        return false;
    }
    return std::all_of(data.begin(), data.end() - 1, [](uint8_t b) { return b >= 0x20; });
}

void appendHex(std::string& line, std::string& out, const std::vector<uint8_t>& data) {
    static constexpr char digits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0) {
            line += ',';
            if (line.size() + 3 > wrapColumn) {
                out += line;
                out += "\\\n";
                line = "  ";
            }
        }
        line += digits[data[i] >> 4];
        line += digits[data[i] & 0xF];
    }
}

}  // namespace

bool sameValueName(std::string_view a, std::string_view b) {
    return text::equalIgnoringCase(a, b);
}

bool parseRegistryFile(std::string_view text, RegistryContents& contents) {
    contents = RegistryContents{};
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at <= text.size();) {
        const auto newline = text.find('\n', at);
        const auto end = newline == std::string_view::npos ? text.size() : newline;
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    bool sawHeader = false;
    bool inKeySection = false;  // inside some key's section
    bool inProgramKey = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = trim(lines[i]);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (!sawHeader) {
            if (line != headerLine && line != newerHeaderLine) {
                return false;
            }
            sawHeader = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') {
                return false;
            }
            inKeySection = true;
            inProgramKey = sameValueName(line.substr(1, line.size() - 2), programKeyPath);
            contents.keyPresent = contents.keyPresent || inProgramKey;
            continue;
        }
        if (!inKeySection || (line.front() != '"' && line.front() != '@')) {
            return false;
        }
        // Long binary values continue over lines that end in a backslash.
        std::string joined(line);
        while (!joined.empty() && joined.back() == '\\' && i + 1 < lines.size()) {
            joined.pop_back();
            joined += trim(lines[++i]);
        }
        std::string_view rest = joined;
        RegistryValue value;
        if (rest.front() == '@') {
            rest.remove_prefix(1);
        } else {
            auto name = takeQuoted(rest);
            if (!name) {
                return false;
            }
            value.name = std::move(*name);
        }
        rest = trim(rest);
        if (rest.empty() || rest.front() != '=') {
            return false;
        }
        auto data = parseData(trim(rest.substr(1)));
        if (!data) {
            if (inProgramKey) {
                contents.unreadable.push_back(value.name);
            }
            continue;
        }
        if (inProgramKey) {
            const bool remove =
                data->type == REG_NONE && data->data.empty() && trim(rest.substr(1)) == "-";
            value.type = data->type;
            value.data = std::move(data->data);
            store(contents, std::move(value), remove);
        }
    }
    return sawHeader;
}

std::string formatRegistryFile(const RegistryContents& contents) {
    std::string out;
    out.append(headerLine).append("\n\n[").append(programKeyPath).append("]\n");
    for (const RegistryValue& value : contents.values) {
        std::string line = value.name.empty() ? "@=" : "\"" + escaped(value.name) + "\"=";
        if (value.type == REG_SZ && printableText(value.data)) {
            const std::string_view text(reinterpret_cast<const char*>(value.data.data()),
                                        value.data.size() - 1);
            line += "\"" + escaped(text) + "\"";
        } else if (value.type == REG_DWORD && value.data.size() == 4) {
            static constexpr char digits[] = "0123456789abcdef";
            line += "dword:";
            for (int byte = 3; byte >= 0; --byte) {
                line += digits[value.data[static_cast<std::size_t>(byte)] >> 4];
                line += digits[value.data[static_cast<std::size_t>(byte)] & 0xF];
            }
        } else {
            if (value.type == REG_BINARY) {
                line += "hex:";
            } else {
                static constexpr char digits[] = "0123456789abcdef";
                std::string type;
                for (uint32_t t = value.type; t != 0 || type.empty(); t >>= 4) {
                    type.insert(type.begin(), digits[t & 0xF]);
                }
                line += "hex(" + type + "):";
            }
            appendHex(line, out, value.data);
        }
        out += line;
        out += '\n';
    }
    return out;
}

}  // namespace platform
