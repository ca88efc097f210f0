#pragma once
// What one play of a page read, kept as it happens: the cursor source a page gives its engine,
// which passes every read through to the real pointer and notes it, with the settings that
// shape the sound, into memory reserved at Play. A read that finds the pointer where the
// previous one did, and settings unchanged, notes nothing. When the reserved room is full the
// play is marked cut short; a read never allocates and never takes a lock.
//
// Thread: begin and finish on the GUI thread while the engine is stopped (its start and stop
// order them against the reads); cursorPosition on whichever thread the engine reads on.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "files/performance_file.h"
#include "platform/cursor_source.h"

namespace files {

class PerformanceCapture final : public platform::CursorSource {
  public:
    // Room for about four minutes of a pointer never still at a read every millisecond.
    static constexpr std::size_t defaultCapacity = std::size_t{1} << 18;

    explicit PerformanceCapture(platform::CursorSource& pointer,
                                std::size_t capacity = defaultCapacity);

    // A play starts: takes the settings as they are and reserves the room. `start` says when,
    // as the file will show it.
    void begin(PerformancePage page, std::string start);
    // The play ended: what it read, and the room given back. Nothing when no play began or its
    // engine read nothing.
    std::optional<Performance> finish();
    bool capturing() const { return open; }

    platform::CursorPosition cursorPosition() override;
    platform::ScreenSize primaryScreenSize() override { return pointer.primaryScreenSize(); }

  private:
    static constexpr std::size_t maxSettings = 32;
    struct Entry {
        int64_t ordinal;
        int64_t timeMs;
        int32_t a;  // x, or the setting's index
        int32_t b;  // y, or the setting's value
        bool setting;
    };
    void note(const Entry& entry);

    platform::CursorSource& pointer;
    std::size_t capacity;
    std::vector<Entry> entries;
    std::array<int32_t, maxSettings> settingValues{};
    Performance header;
    std::chrono::steady_clock::time_point startedAt;
    platform::CursorPosition lastPosition;
    int64_t reads = 0;
    bool open = false;
    bool cut = false;
};

// The plays kept since the program started, within a memory budget, the oldest given up first.
// GUI thread.
class PerformanceHistory {
  public:
    static constexpr std::size_t defaultBudget = std::size_t{32} << 20;
    explicit PerformanceHistory(std::size_t budgetBytes = defaultBudget) : budget(budgetBytes) {}

    void keep(Performance performance);
    // The newest play of `page`, null when it has none.
    const Performance* last(PerformancePage page) const;
    // Every kept play, the newest first.
    std::vector<const Performance*> newestFirst() const;
    std::size_t size() const { return plays.size(); }
    std::size_t bytes() const { return used; }

    // About what a kept play costs in memory.
    static std::size_t bytesOf(const Performance& performance);

  private:
    std::size_t budget;
    std::size_t used = 0;
    std::deque<Performance> plays;
};

// How long a play went on, in milliseconds: to its last read or setting change.
int64_t performanceLengthMs(const Performance& performance);

// Now as a performance's start line shows it: UTC, "2026-12-09T07:30:00Z".
std::string performanceStartText(std::chrono::system_clock::time_point when);

}  // namespace files
