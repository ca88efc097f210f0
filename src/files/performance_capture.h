#pragma once
// What one play of a page read, kept as it happens: the cursor source a page gives its engine,
// which passes every read through to the real pointer and notes it, with the settings that
// shape the sound, into memory reserved at Play. A read that finds the pointer where the
// previous one did, and settings unchanged, notes nothing; one that moved notes how far, in a
// few bytes (two for a hand's move between two reads of the DirectSound page's 1 ms step). When the
// reserved room is full the play is marked cut short; a read never allocates and never takes a
// lock.
//
// Thread: begin and finish on the GUI thread while the engine is stopped (its start and stop
// order them against the reads); cursorPosition on whichever thread the engine reads on.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/performance_file.h"
#include "platform/cursor_source.h"

namespace files {

class PerformanceCapture final : public platform::CursorSource {
  public:
    // Bytes reserved at Play: an hour of the pointer moving at 300 reads a second.
    static constexpr std::size_t defaultCapacityBytes = std::size_t{8} << 20;

    explicit PerformanceCapture(platform::CursorSource& pointer,
                                std::size_t capacityBytes = defaultCapacityBytes);

    // A play starts: takes the settings as they are and reserves the room. `start` says when,
    // as the file will show it; `fromHz` what the page's sound carries over from the play before
    // (Performance::fromHz).
    void begin(PerformancePage page, std::string start, int64_t fromHz = -1);
    // The play ended: what it read, how many reads and how long until now, and the room given
    // back. Nothing when no play began or its
    // engine read nothing.
    std::optional<Performance> finish();
    bool capturing() const { return open; }
    // The bytes the play in progress has noted so far.
    std::size_t noted() const { return bytes.size(); }

    // Reads from `source` instead of the pointer (null: the pointer again), as a play back does.
    // GUI thread, while the engine is stopped.
    void readFrom(platform::CursorSource* source) { standIn = source; }

    platform::CursorPosition cursorPosition() override;
    platform::ScreenSize primaryScreenSize() override { return pointer.primaryScreenSize(); }

  private:
    static constexpr std::size_t maxSettings = 32;
    // A note: one number holding the reads since the last note, the ms since it (0 to 2, or 3
    // and a number with the rest), whether it moved the pointer by at most 8 pixels each way and
    // whether it is a setting; then the move in one byte of two halves, or as two numbers, or the
    // setting's index and value. Numbers take 7 bits a byte.
    struct Note {
        int64_t ordinal;
        int64_t timeMs;
        int32_t a;  // x, or the setting's index
        int32_t b;  // y, or the setting's value
        bool setting;
    };
    void note(const Note& entry);
    // Calls onRead(ordinal, timeMs, position) and onChange(ordinal, timeMs, index, value) for
    // the notes in order.
    template <typename OnRead, typename OnChange>
    void decodeNotes(OnRead onRead, OnChange onChange) const;

    platform::CursorSource& pointer;
    platform::CursorSource* standIn = nullptr;
    std::size_t capacity;
    std::vector<uint8_t> bytes;
    Note lastNote{};
    Note lastPointerNote{};
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
    // The user kept the newest play of `page` (its next play is not kept yet).
    void markKept(PerformancePage page) { kept[static_cast<std::size_t>(page)] = true; }
    bool lastKept(PerformancePage page) const { return kept[static_cast<std::size_t>(page)]; }
    // Every kept play, the newest first: shared, so that a list of them keeps what the history
    // gives up meanwhile without copying a play.
    std::vector<std::shared_ptr<const Performance>> newestFirst() const;
    std::size_t size() const { return plays.size(); }
    // How many plays were ever kept: changes whenever a play ends.
    std::size_t playsEnded() const { return ended; }
    std::size_t bytes() const { return used; }

    // About what a kept play costs in memory.
    static std::size_t bytesOf(const Performance& performance);

  private:
    std::size_t budget;
    std::size_t used = 0;
    std::deque<std::shared_ptr<const Performance>> plays;
    std::array<bool, 3> kept{};
    std::size_t ended = 0;
};

// How long a play went on, in milliseconds: to its last read or setting change.
int64_t performanceLengthMs(const Performance& performance);

// Now as a performance's start line shows it: UTC, "2026-12-09T07:30:00Z".
std::string performanceStartText(std::chrono::system_clock::time_point when);

}  // namespace files
