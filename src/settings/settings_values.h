#pragma once
// The process-wide settings. Pages, engines and preferences pages read and write these values
// directly; the settings store loads them at start-up and saves them at exit.
//
// Every value is an atomic so that the timer-driven engines may read it while the GUI thread
// changes it. Initial values are those of a first start without stored settings.

#include <atomic>
#include <cstdint>

namespace settings {

// Wave page tone controls.
inline std::atomic<int32_t> Volume{50};   // 0..100, amplitude at the top of the screen
inline std::atomic<int32_t> Pitch{10};    // 1..10, width of the pitch range in kHz
inline std::atomic<int32_t> Vibrato{0};   // 0..3, vibrato depth, 0 off
inline std::atomic<int32_t> Timbre{0};    // 0..10, third and fifth harmonics in the wave table

// Application: silence while the cursor rests.
inline std::atomic<int32_t> SwoopMode{0};

// Output format of the Wave and DirectSound engines.
inline std::atomic<bool> stereo{false};      // 2 channels, else 1
inline std::atomic<bool> highRate{false};    // 44100 Hz, else 22050 Hz
inline std::atomic<bool> sixteenBit{false};  // 16-bit signed samples, else 8-bit unsigned

// View flags of the main window: which parts of the note readout the status bar shows.
inline std::atomic<int32_t> ViewNoteFreq{1};  // 0/1: frequency
inline std::atomic<int32_t> ViewNoteMid{1};   // 0 off, 1 whole MIDI note, 2 with one decimal
inline std::atomic<int32_t> ViewNoteName{1};  // 0/1: note name and octave
inline std::atomic<int32_t> ViewNoteVol{1};   // 0/1: loudness

}  // namespace settings
