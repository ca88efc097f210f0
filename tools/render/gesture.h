#pragma once
// A recorded or scripted mouse gesture: cursor positions over time, read from a text file with
// lines "t_ms x y" (integers, t ascending) and '#' comments.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/tone/cursor_mapping.h"
#include "files/performance_replay.h"

struct GesturePoint {
    int64_t timeMs = 0;
    platform::CursorPosition position;
};

class Gesture {
  public:
    // Parses the whole text. On failure returns nothing and sets `error` to one line naming the
    // line number and what is wrong with it.
    static std::optional<Gesture> parse(std::string_view text, std::string& error);

    // The cursor at time t: the last point at or before t; before the first point, the first.
    platform::CursorPosition cursorAt(int64_t timeMs) const;

    // Points from a performance (never empty), lasting until `lastMs` (which may end before the
    // last point when `replay` counts the reads instead); with `replay` the engine
    // reads that instead of the cursor at the render's time.
    static Gesture fromPoints(std::vector<GesturePoint> taken, int64_t lastMs,
                              std::shared_ptr<platform::CursorSource> replay);
    // As fromPoints, the render ending as soon as `replay` has given every read its play made
    // (readsGiven), whose count, not the clock, says how long a page that reads at its device's
    // pace played.
    static Gesture replayingEveryRead(std::vector<GesturePoint> taken, int64_t lastMs,
                                      std::shared_ptr<files::ReadReplay> replay);

    int64_t lastTimeMs() const { return lastMs; }
    const std::vector<GesturePoint>& allPoints() const { return points; }
    platform::CursorSource* replayedReads() const { return replay.get(); }
    // The frequency the DirectSound stream slews from at the start; -1: from where a program
    // starts.
    int64_t streamFromHz = -1;
    // The render has given every read of the play it replays, and stops there.
    bool readsGiven() const { return wholeReplay != nullptr && wholeReplay->finished(); }

  private:
    explicit Gesture(std::vector<GesturePoint> parsed)
        : points(std::move(parsed)), lastMs(points.back().timeMs) {}
    std::vector<GesturePoint> points;  // never empty
    int64_t lastMs = 0;
    std::shared_ptr<platform::CursorSource> replay;
    std::shared_ptr<files::ReadReplay> wholeReplay;
};
