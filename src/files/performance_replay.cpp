#include "files/performance_replay.h"

#include <algorithm>

#include "settings/played_settings.h"

namespace files {

namespace {

void applySetting(const PerformanceSetting& setting) {
    if (const auto index = settings::playedSettingIndex(setting.key)) {
        const settings::PlayedSetting& known = settings::playedSettings()[*index];
        if (const auto value = known.parse(setting.value)) {
            known.apply(*value);
        }
    }
}

}  // namespace

ReadReplay::ReadReplay(Performance played)
    : performance(std::move(played)), length(performance.readCount) {
    for (const PerformanceRead& read : performance.reads) {
        length = std::max(length, read.ordinal + 1);
    }
    for (const PerformanceSetting& change : performance.changes) {
        length = std::max(length, change.ordinal + 1);
    }
}

platform::CursorPosition ReadReplay::cursorPosition() {
    const int64_t ordinal = given.fetch_add(1, std::memory_order_relaxed);
    for (; nextChange < performance.changes.size() &&
           performance.changes[nextChange].ordinal <= ordinal;
         ++nextChange) {
        applySetting(performance.changes[nextChange]);
    }
    for (; nextRead < performance.reads.size() && performance.reads[nextRead].ordinal <= ordinal;
         ++nextRead) {
        position = performance.reads[nextRead].position;
    }
    shown.store(
        uint64_t{static_cast<uint32_t>(position.x)} << 32 | static_cast<uint32_t>(position.y),
        std::memory_order_relaxed);
    anyGiven.store(true, std::memory_order_release);
    return position;
}

std::optional<platform::CursorPosition> ReadReplay::lastGiven() const {
    if (!anyGiven.load(std::memory_order_acquire)) {
        return std::nullopt;
    }
    const uint64_t packed = shown.load(std::memory_order_relaxed);
    return platform::CursorPosition{static_cast<int32_t>(static_cast<uint32_t>(packed >> 32)),
                                    static_cast<int32_t>(static_cast<uint32_t>(packed))};
}

void applyPerformanceSettings(const Performance& performance) {
    for (const PerformanceSetting& setting : performance.atPlay) {
        applySetting(setting);
    }
}

}  // namespace files
