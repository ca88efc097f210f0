#include "performance_replay.h"

#include <algorithm>

#include "engine/midi/midi_engine.h"
#include "settings/played_settings.h"

namespace {

void applySetting(const files::PerformanceSetting& setting) {
    if (const auto index = settings::playedSettingIndex(setting.key)) {
        const settings::PlayedSetting& known = settings::playedSettings()[*index];
        if (const auto value = known.parse(setting.value)) {
            known.apply(*value);
        }
    }
}

}  // namespace

platform::CursorPosition ReadReplay::cursorPosition() {
    const int64_t ordinal = reads++;
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

void applyPerformanceSettings(const files::Performance& performance) {
    for (const files::PerformanceSetting& setting : performance.atPlay) {
        applySetting(setting);
    }
}

Gesture performanceGesture(const files::Performance& performance, const std::string& engine) {
    std::vector<GesturePoint> points;
    points.reserve(performance.reads.size());
    for (const files::PerformanceRead& read : performance.reads) {
        points.push_back({read.timeMs, read.position});
    }
    int64_t lastMs = points.back().timeMs;
    if (!performance.changes.empty()) {
        lastMs = std::max(lastMs, performance.changes.back().timeMs);
    }
    // The play went on after its last move until Stop.
    lastMs = std::max(lastMs, performance.lengthMs);
    std::shared_ptr<platform::CursorSource> replay;
    const bool numbered =
        std::all_of(performance.reads.begin(), performance.reads.end(),
                    [](const files::PerformanceRead& r) { return r.ordinal >= 0; });
    if (performance.page && files::performancePageName(*performance.page) == engine && numbered) {
        replay = std::make_shared<ReadReplay>(performance);
        // The Midi page reads once a tick, so its reads say how many ticks the play had, however
        // late the live ones came.
        if (engine == "midi" && performance.readCount > 0) {
            lastMs = performance.readCount * engine::MidiEngine::kTickMs;
        }
    }
    return Gesture::fromPoints(std::move(points), lastMs, std::move(replay));
}
