#include "performance_gesture.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/midi/midi_engine.h"
#include "files/performance_replay.h"

namespace {
// Far more than any output takes ahead of what it has played.
constexpr int64_t kDeviceLeadBoundMs = 2000;

Gesture readsAsGesture(const files::Performance& performance, const std::string& engine) {
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
    const bool numbered =
        std::all_of(performance.reads.begin(), performance.reads.end(),
                    [](const files::PerformanceRead& r) { return r.ordinal >= 0; });
    if (!performance.page || files::performancePageName(*performance.page) != engine || !numbered) {
        return Gesture::fromPoints(std::move(points), lastMs, nullptr);
    }
    auto replay = std::make_shared<files::ReadReplay>(performance);
    // The Midi page reads once a tick, so its reads say how many ticks the play had, however
    // late the live ones came.
    if (engine == "midi" && performance.readCount > 0) {
        return Gesture::fromPoints(std::move(points),
                                   performance.readCount * engine::MidiEngine::kTickMs, replay);
    }
    // The Wave and DirectSound pages read at their device's pace, which no clock of the render's
    // repeats: the render plays until every read is given again. A device takes its buffers ahead
    // of what is heard, so the live reads may run past the play's length by that much.
    if (performance.readCount > 0) {
        return Gesture::replayingEveryRead(std::move(points), lastMs + kDeviceLeadBoundMs,
                                           std::move(replay));
    }
    return Gesture::fromPoints(std::move(points), lastMs, std::move(replay));
}

}  // namespace

Gesture performanceGesture(const files::Performance& performance, const std::string& engine) {
    Gesture gesture = readsAsGesture(performance, engine);
    if (engine == "dsound" && performance.page == files::PerformancePage::dsound) {
        gesture.streamFromHz = performance.fromHz;
    }
    return gesture;
}
