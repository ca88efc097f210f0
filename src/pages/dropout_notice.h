#pragma once
// Dropouts the listener heard while a page plays (the output ran dry, ours or the sound
// server's): told once a play, when they repeat, with the buffer the output now keeps. While the
// notice stands, the readouts leave the status bar to it for a few seconds.
//
// Thread: GUI.

#include <chrono>
#include <cstdint>
#include <string>

namespace pages {

class DropoutNotice {
  public:
    // How many dropouts in one play make a repeat, and how long the notice holds the status bar.
    static constexpr uint64_t kRepeats = 2;
    static constexpr std::chrono::seconds kHold{4};

    void playStarted();
    // The notice to show now: once a play, when dropouts repeated since Play; else empty.
    std::string due();
    // Whether a readout may take the status bar now.
    bool readoutMayShow() const;

  private:
    uint64_t countAtPlay = 0;
    bool told = false;
    std::chrono::steady_clock::time_point holdUntil{};
};

// "The sound dropped out 3 times since Play; the sound server now keeps 45 ms."
std::string dropoutText(uint64_t dropouts, int32_t serverBufferMs);

}  // namespace pages
