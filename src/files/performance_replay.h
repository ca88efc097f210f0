#pragma once
// A performance played again through its own page: the engine's n-th read gets the play's n-th
// read, and the settings changed during the play change before the read they did. Offline (the
// render) and live (Play back) alike.
//
// Thread: made and applied on one thread; cursorPosition on the engine's; finished on any.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "files/performance_file.h"

namespace files {

class ReadReplay final : public platform::CursorSource {
  public:
    explicit ReadReplay(Performance played);
    // The next read of the play, after the settings changes due before it; past the play's end
    // the last position.
    platform::CursorPosition cursorPosition() override;
    platform::ScreenSize primaryScreenSize() override { return performance.screen; }
    // Every read the play made has been given again.
    bool finished() const { return given.load(std::memory_order_relaxed) >= length; }
    // The position the last read was given; nothing before the first. Any thread.
    std::optional<platform::CursorPosition> lastGiven() const;

  private:
    Performance performance;
    int64_t length = 0;  // the reads the play made, as far as the file tells
    std::atomic<int64_t> given{0};
    std::size_t nextRead = 0;
    std::size_t nextChange = 0;
    platform::CursorPosition position;
    std::atomic<uint64_t> shown{0};  // position, x in the high half, once anyGiven
    std::atomic<bool> anyGiven{false};
};

// Puts the settings the performance played with into the process-wide settings.
void applyPerformanceSettings(const Performance& performance);

}  // namespace files
