#include "platform/profile.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/profile_text.h"

namespace platform {

namespace {

// Larger files are refused rather than read in part, so that a write never drops their tail.
constexpr std::size_t maxProfileBytes = std::size_t{16} * 1024 * 1024;

// A missing or unreadable file reads as empty; `readable` tells a write whether it may replace it.
std::string loadProfile(const char* fileName, bool* readable = nullptr, bool* exists = nullptr) {
    std::string text;
    FileRead result = FileRead::Missing;
    if (fileName != nullptr && fileName[0] != '\0') {
        result = readWholeFile(fileName, text, maxProfileBytes);
    }
    if (readable != nullptr) {
        *readable = result != FileRead::Failed;
    }
    if (exists != nullptr) {
        *exists = result == FileRead::Ok;
    }
    return text;
}

uint32_t copyText(std::string_view text, char* buffer, uint32_t size) {
    // The caller sees a C string: stop at an embedded zero byte.
    text = text.substr(0, text.find('\0'));
    const std::size_t count = text.size() < size - 1U ? text.size() : size - 1U;
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<uint32_t>(count);
}

uint32_t copyList(const std::vector<std::string_view>& names, char* buffer, uint32_t size) {
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    std::size_t at = 0;
    for (std::string_view name : names) {
        name = name.substr(0, name.find('\0'));
        if (at + name.size() + 1 > size - 2U) {  // keep room for the list's final zero
            const std::size_t room = size - 2U - at;
            std::memcpy(buffer + at, name.data(), room);
            buffer[size - 2] = '\0';
            buffer[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(buffer + at, name.data(), name.size());
        at += name.size();
        buffer[at++] = '\0';
    }
    buffer[at] = '\0';
    return static_cast<uint32_t>(at == 0 ? 0 : at);
}

uint32_t parseProfileInt(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    uint32_t base = 10;
    if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    uint32_t value = 0;  // wraps modulo 2^32, as the system's conversion does
    for (; at < text.size(); ++at) {
        const char c = text[at];
        uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<uint32_t>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<uint32_t>(c - 'A' + 10);
        } else {
            break;
        }
        value = value * base + digit;
    }
    return negative ? 0U - value : value;
}

}  // namespace

uint32_t getPrivateProfileString(const char* section, const char* key, const char* defaultText,
                                 char* buffer, uint32_t size, const char* fileName) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    const std::string text = loadProfile(fileName);
    if (section == nullptr) {
        return copyList(profile::sectionNames(text), buffer, size);
    }
    if (key == nullptr) {
        return copyList(profile::keyNames(text, section), buffer, size);
    }
    if (const auto value = profile::findValue(text, section, key)) {
        return copyText(*value, buffer, size);
    }
    std::string_view fallback = defaultText != nullptr ? defaultText : "";
    while (!fallback.empty() && fallback.back() == ' ') {
        fallback.remove_suffix(1);
    }
    return copyText(fallback, buffer, size);
}

uint32_t getPrivateProfileInt(const char* section, const char* key, int32_t defaultValue,
                              const char* fileName) {
    if (section == nullptr || key == nullptr) {
        return static_cast<uint32_t>(defaultValue);
    }
    char value[30];
    if (getPrivateProfileString(section, key, "", value, sizeof value, fileName) == 0) {
        return static_cast<uint32_t>(defaultValue);
    }
    return parseProfileInt(value);
}

bool writePrivateProfileString(const char* section, const char* key, const char* text,
                               const char* fileName) {
    if (section == nullptr || fileName == nullptr || fileName[0] == '\0') {
        return false;
    }
    bool readable = false;
    bool exists = false;
    const std::string before = loadProfile(fileName, &readable, &exists);
    if (!readable) {
        return false;
    }
    const auto after = key == nullptr ? profile::withoutSection(before, section)
                                      : profile::withValue(before, section, key, text);
    if (!after) {
        return false;
    }
    if (*after == before && (exists || after->empty())) {
        return true;
    }
    return replaceFileAtomically(fileName, *after);
}

}  // namespace platform
