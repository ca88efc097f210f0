#pragma once
// A performance: what one play of a page read, kept as text so that it can be rendered again.
// It extends the gesture file ("t_ms x y" lines, '#' comments), and every gesture file reads as a
// performance of no particular page.
//
//   #lirveto-performance 1             first line: the format and its version
//   page=midi                          wave | dsound | midi
//   screen=1920x1080                   the primary screen the play was read against
//   start=2026-12-09T07:30:00Z         when Play was pressed (text, not interpreted)
//   cut=short                          only when the reads did not all fit in memory
//   reads=2400                         how many reads the engine made before Stop
//   length_ms=12003                    how long the play lasted, from Play to Stop
//   Volume=50                          each setting that shapes the sound at Play, under its
//   ...                                settings file key and spelling
//   t_ms n x y                         the engine's n-th read (n from 0) saw the pointer at x y
//   t_ms n Key=Value                   a setting changed just before the n-th read
//
// Reads are kept only when the pointer moved since the previous read, so a still pointer costs
// nothing: the reads between two lines saw the position of the earlier one. The ordinal n is what
// lets the play be repeated through its own page: the engine's n-th read there gets the n-th read
// of the play, whatever the clock says, so a late step live and an exact step offline still read
// the same thing. Through another page, or for a gesture line without an ordinal, the times are
// used as a gesture's are. Times are whole milliseconds since Play. A file without reads= and
// length_ms= (kept before they were written) ends at its last line.
//
// Pure; any thread.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cursor_source.h"

namespace files {

enum class PerformancePage { wave, dsound, midi };

std::string_view performancePageName(PerformancePage page);

struct PerformanceRead {
    int64_t timeMs = 0;
    int64_t ordinal = -1;  // -1: a gesture line, which has none
    platform::CursorPosition position;
    friend bool operator==(const PerformanceRead&, const PerformanceRead&) = default;
};

struct PerformanceSetting {
    int64_t timeMs = 0;
    int64_t ordinal = 0;  // takes effect before this read
    std::string key;      // as playedSettings() names it
    std::string value;    // as the settings file spells it
    friend bool operator==(const PerformanceSetting&, const PerformanceSetting&) = default;
};

struct Performance {
    std::optional<PerformancePage> page;  // nothing: a gesture file
    platform::ScreenSize screen;          // 0x0: not said
    std::string start;
    bool cutShort = false;
    int64_t readCount = -1;  // -1: not said
    int64_t lengthMs = -1;   // -1: not said
    // The DirectSound stream's frequency at Play, which the play slewed from; -1: not said.
    int64_t fromHz = -1;
    std::vector<PerformanceSetting> atPlay;   // ordinal and time 0
    std::vector<PerformanceSetting> changes;  // in time order
    std::vector<PerformanceRead> reads;       // in time order; never empty once parsed

    friend bool operator==(const Performance&, const Performance&) = default;
};

// Parses a performance or a plain gesture file. On failure returns nothing and sets `error` to
// one line: "line 12: what is wrong".
std::optional<Performance> parsePerformance(std::string_view text, std::string& error);

// The text parsePerformance reads back as the same performance.
std::string performanceText(const Performance& performance);

}  // namespace files
