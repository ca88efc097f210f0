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
    return position;
}

void applyPerformanceSettings(const Performance& performance) {
    for (const PerformanceSetting& setting : performance.atPlay) {
        applySetting(setting);
    }
}

}  // namespace files
