#include "files/performance_capture.h"

#include <algorithm>
#include <ctime>

#include "settings/played_settings.h"

namespace files {

namespace {

// The longest note: five numbers of at most ten bytes each.
constexpr std::size_t kLongestNoteBytes = 50;

void putNumber(std::vector<uint8_t>& out, uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<uint8_t>(value));
}

// Small differences either way in small numbers.
uint64_t zigzag(int64_t value) {
    return (static_cast<uint64_t>(value) << 1) ^ static_cast<uint64_t>(value >> 63);
}

int64_t unzigzag(uint64_t value) {
    return static_cast<int64_t>(value >> 1) ^ -static_cast<int64_t>(value & 1);
}

uint64_t takeNumber(const std::vector<uint8_t>& in, std::size_t& at) {
    uint64_t value = 0;
    for (int shift = 0; at < in.size() && shift < 64; shift += 7) {
        const uint8_t byte = in[at++];
        value |= uint64_t{byte & 0x7FU} << shift;
        if ((byte & 0x80) == 0) {
            break;
        }
    }
    return value;
}

}  // namespace

PerformanceCapture::PerformanceCapture(platform::CursorSource& source, std::size_t room)
    : pointer(source), capacity(room) {}

void PerformanceCapture::begin(PerformancePage page, std::string start, int64_t fromHz) {
    header = Performance{};
    header.page = page;
    header.fromHz = fromHz;
    header.screen = pointer.primaryScreenSize();
    header.start = std::move(start);
    const auto played = settings::playedSettings();
    for (std::size_t i = 0; i < played.size() && i < maxSettings; ++i) {
        settingValues[i] = played[i].value();
        header.atPlay.push_back({0, 0, played[i].key, played[i].text(settingValues[i])});
    }
    bytes.clear();
    bytes.reserve(capacity);
    lastNote = {};
    lastPointerNote = {};
    reads = 0;
    cut = false;
    startedAt = std::chrono::steady_clock::now();
    open = true;
}

void PerformanceCapture::note(const Note& entry) {
    // Within the room reserved at Play: a full capture stops growing rather than allocate.
    if (cut || bytes.size() + kLongestNoteBytes > bytes.capacity()) {
        cut = true;
        return;
    }
    const auto sinceLast = static_cast<uint64_t>(entry.ordinal - lastNote.ordinal);
    const auto later = static_cast<uint64_t>(std::max<int64_t>(entry.timeMs - lastNote.timeMs, 0));
    const int64_t dx = int64_t{entry.a} - lastPointerNote.a;
    const int64_t dy = int64_t{entry.b} - lastPointerNote.b;
    const bool smallMove = !entry.setting && dx >= -8 && dx <= 7 && dy >= -8 && dy <= 7;
    putNumber(bytes, sinceLast << 4 | (smallMove ? 8U : 0U) | std::min<uint64_t>(later, 3) << 1 |
                         (entry.setting ? 1U : 0U));
    if (later >= 3) {
        putNumber(bytes, later - 3);
    }
    if (entry.setting) {
        putNumber(bytes, static_cast<uint64_t>(entry.a));
        putNumber(bytes, zigzag(entry.b));
    } else {
        if (smallMove) {
            bytes.push_back(static_cast<uint8_t>((dx + 8) << 4 | (dy + 8)));
        } else {
            putNumber(bytes, zigzag(dx));
            putNumber(bytes, zigzag(dy));
        }
        lastPointerNote = entry;
    }
    lastNote = entry;
}

platform::CursorPosition PerformanceCapture::cursorPosition() {
    const platform::CursorPosition position =
        standIn != nullptr ? standIn->cursorPosition() : pointer.cursorPosition();
    if (!open) {
        return position;
    }
    const int64_t ordinal = reads++;
    // The clock is read only for a read that notes something: most note nothing, and in a
    // 1 ms step the clock costs more than the rest of the capture.
    int64_t timeMs = -1;
    const auto readTime = [&timeMs, this] {
        if (timeMs < 0) {
            timeMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now() - startedAt)
                         .count();
        }
        return timeMs;
    };
    const auto played = settings::playedSettings();
    for (std::size_t i = 0; i < played.size() && i < maxSettings; ++i) {
        const int32_t value = played[i].value();
        if (value != settingValues[i]) {
            settingValues[i] = value;
            note({ordinal, readTime(), static_cast<int32_t>(i), value, true});
        }
    }
    if (ordinal == 0 || position != lastPosition) {
        lastPosition = position;
        note({ordinal, readTime(), position.x, position.y, false});
    }
    return position;
}

template <typename OnRead, typename OnChange>
void PerformanceCapture::decodeNotes(OnRead onRead, OnChange onChange) const {
    int64_t ordinal = 0;
    int64_t timeMs = 0;
    platform::CursorPosition at;
    for (std::size_t next = 0; next < bytes.size();) {
        const uint64_t first = takeNumber(bytes, next);
        ordinal += static_cast<int64_t>(first >> 4);
        const uint64_t later = first >> 1 & 3;
        timeMs += static_cast<int64_t>(later == 3 ? 3 + takeNumber(bytes, next) : later);
        if ((first & 1) != 0) {
            const auto index = static_cast<std::size_t>(takeNumber(bytes, next));
            const auto value = static_cast<int32_t>(unzigzag(takeNumber(bytes, next)));
            onChange(ordinal, timeMs, index, value);
            continue;
        }
        if ((first & 8) != 0 && next < bytes.size()) {
            const uint8_t move = bytes[next++];
            at.x += (move >> 4) - 8;
            at.y += (move & 0xF) - 8;
        } else {
            at.x += static_cast<int32_t>(unzigzag(takeNumber(bytes, next)));
            at.y += static_cast<int32_t>(unzigzag(takeNumber(bytes, next)));
        }
        onRead(ordinal, timeMs, at);
    }
}

std::optional<Performance> PerformanceCapture::finish() {
    if (!open) {
        return std::nullopt;
    }
    open = false;
    Performance performance = std::move(header);
    performance.cutShort = cut;
    performance.readCount = reads;
    performance.lengthMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - startedAt)
                               .count();
    const auto played = settings::playedSettings();
    // Counted first, so the reads take their room once: a vector grown read by read would hold
    // up to twice the play, and a long play's copy beside it, for a moment.
    std::size_t readsNoted = 0;
    decodeNotes([&readsNoted](int64_t, int64_t, platform::CursorPosition) { ++readsNoted; },
                [](int64_t, int64_t, std::size_t, int32_t) {});
    performance.reads.reserve(readsNoted);
    decodeNotes(
        [&performance](int64_t ordinal, int64_t timeMs, platform::CursorPosition at) {
            performance.reads.push_back({timeMs, ordinal, at});
        },
        [&](int64_t ordinal, int64_t timeMs, std::size_t index, int32_t value) {
            const settings::PlayedSetting& setting = played[index];
            performance.changes.push_back({timeMs, ordinal, setting.key, setting.text(value)});
        });
    std::vector<uint8_t>().swap(bytes);
    if (performance.reads.empty()) {
        return std::nullopt;
    }
    return performance;
}

void PerformanceHistory::keep(Performance performance) {
    ++ended;
    if (performance.page) {
        kept[static_cast<std::size_t>(*performance.page)] = false;
    }
    used += bytesOf(performance);
    plays.push_back(std::make_shared<const Performance>(std::move(performance)));
    // The newest stays even alone over the budget: it is the one Keep last performance saves.
    while (used > budget && plays.size() > 1) {
        used -= bytesOf(*plays.front());
        plays.pop_front();
    }
}

const Performance* PerformanceHistory::last(PerformancePage page) const {
    const auto found = std::find_if(plays.rbegin(), plays.rend(),
                                    [page](const auto& p) { return p->page == page; });
    return found == plays.rend() ? nullptr : found->get();
}

std::vector<std::shared_ptr<const Performance>> PerformanceHistory::newestFirst() const {
    return {plays.rbegin(), plays.rend()};
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
