#include "files/performance_capture.h"

#include <algorithm>
#include <ctime>

#include "settings/played_settings.h"

namespace files {

PerformanceCapture::PerformanceCapture(platform::CursorSource& source, std::size_t room)
    : pointer(source), capacity(room) {}

void PerformanceCapture::begin(PerformancePage page, std::string start) {
    header = Performance{};
    header.page = page;
    header.screen = pointer.primaryScreenSize();
    header.start = std::move(start);
    const auto played = settings::playedSettings();
    for (std::size_t i = 0; i < played.size() && i < maxSettings; ++i) {
        settingValues[i] = played[i].value();
        header.atPlay.push_back({0, 0, played[i].key, played[i].text(settingValues[i])});
    }
    entries.clear();
    entries.reserve(capacity);
    reads = 0;
    cut = false;
    startedAt = std::chrono::steady_clock::now();
    open = true;
}

void PerformanceCapture::note(const Entry& entry) {
    // Within the room reserved at Play: a full capture stops growing rather than allocate.
    if (entries.size() == entries.capacity()) {
        cut = true;
        return;
    }
    entries.push_back(entry);
}

platform::CursorPosition PerformanceCapture::cursorPosition() {
    const platform::CursorPosition position = pointer.cursorPosition();
    if (!open) {
        return position;
    }
    const int64_t ordinal = reads++;
    const int64_t timeMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - startedAt)
                               .count();
    const auto played = settings::playedSettings();
    for (std::size_t i = 0; i < played.size() && i < maxSettings; ++i) {
        const int32_t value = played[i].value();
        if (value != settingValues[i]) {
            settingValues[i] = value;
            note({ordinal, timeMs, static_cast<int32_t>(i), value, true});
        }
    }
    if (ordinal == 0 || position != lastPosition) {
        lastPosition = position;
        note({ordinal, timeMs, position.x, position.y, false});
    }
    return position;
}

std::optional<Performance> PerformanceCapture::finish() {
    if (!open) {
        return std::nullopt;
    }
    open = false;
    Performance performance = std::move(header);
    performance.cutShort = cut;
    const auto played = settings::playedSettings();
    for (const Entry& entry : entries) {
        if (entry.setting) {
            const settings::PlayedSetting& setting = played[static_cast<std::size_t>(entry.a)];
            performance.changes.push_back(
                {entry.timeMs, entry.ordinal, setting.key, setting.text(entry.b)});
        } else {
            performance.reads.push_back({entry.timeMs, entry.ordinal, {entry.a, entry.b}});
        }
    }
    std::vector<Entry>().swap(entries);
    performance.reads.shrink_to_fit();
    if (performance.reads.empty()) {
        return std::nullopt;
    }
    return performance;
}

void PerformanceHistory::keep(Performance performance) {
    used += bytesOf(performance);
    plays.push_back(std::move(performance));
    while (used > budget && !plays.empty()) {
        used -= bytesOf(plays.front());
        plays.pop_front();
    }
}

const Performance* PerformanceHistory::last(PerformancePage page) const {
    const auto found = std::find_if(plays.rbegin(), plays.rend(),
                                    [page](const Performance& p) { return p.page == page; });
    return found == plays.rend() ? nullptr : &*found;
}

std::vector<const Performance*> PerformanceHistory::newestFirst() const {
    std::vector<const Performance*> list;
    list.reserve(plays.size());
    for (auto play = plays.rbegin(); play != plays.rend(); ++play) {
        list.push_back(&*play);
    }
    return list;
}

int64_t performanceLengthMs(const Performance& performance) {
    int64_t length = performance.reads.empty() ? 0 : performance.reads.back().timeMs;
    if (!performance.changes.empty()) {
        length = std::max(length, performance.changes.back().timeMs);
    }
    return length;
}

std::size_t PerformanceHistory::bytesOf(const Performance& performance) {
    std::size_t bytes = sizeof(Performance) + performance.start.capacity() +
                        performance.reads.capacity() * sizeof(PerformanceRead);
    for (const auto* list : {&performance.atPlay, &performance.changes}) {
        bytes += list->capacity() * sizeof(PerformanceSetting);
        for (const PerformanceSetting& setting : *list) {
            bytes += setting.key.capacity() + setting.value.capacity();
        }
    }
    return bytes;
}

std::string performanceStartText(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[32] = {};
    (void)std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace files
