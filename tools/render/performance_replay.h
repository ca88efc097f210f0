#pragma once
// A performance rendered again. Through its own page the engine's n-th read gets the play's
// n-th read, and the settings changed during the play change before the read they did; through
// another page, or for a plain gesture file, the reads are sampled by time as a gesture's are.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "files/performance_file.h"
#include "gesture.h"

// The play's reads in order. Not thread-safe: the render drives one engine at a time.
class ReadReplay final : public platform::CursorSource {
  public:
    explicit ReadReplay(files::Performance played) : performance(std::move(played)) {}
    // The next read of the play, after the settings changes due before it.
    platform::CursorPosition cursorPosition() override;
    platform::ScreenSize primaryScreenSize() override { return performance.screen; }

  private:
    files::Performance performance;
    int64_t reads = 0;
    std::size_t nextRead = 0;
    std::size_t nextChange = 0;
    platform::CursorPosition position;
};

// Puts the settings the performance played with into the process-wide settings.
void applyPerformanceSettings(const files::Performance& performance);

// The gesture to render `performance` with through `engine`: its reads by time, which replay in
// order when the engine is the performance's own page and every read is numbered. It lasts as
// long as the play did when the file says so (through the Midi page, as many ticks as it read),
// else until its last line.
Gesture performanceGesture(const files::Performance& performance, const std::string& engine);
