#pragma once
// The process-wide settings. Pages, engines and preferences pages read and write these values
// directly; the settings store loads them at start-up and saves them at exit.
//
// Every value is an atomic (the driver name a locked text) so that the timer-driven engines may
// read it while the GUI thread changes it. Initial values are those of a first start without
// stored settings.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace settings {

// Wave page tone controls.
inline std::atomic<int32_t> Volume{50};  // 0..100, amplitude at the top of the screen
inline std::atomic<int32_t> Pitch{10};   // 1..10, width of the pitch range in kHz
inline std::atomic<int32_t> Vibrato{0};  // 0..3, vibrato depth, 0 off
inline std::atomic<int32_t> Timbre{0};   // 0..10, third and fifth harmonics in the wave table

// Application: silence while the cursor rests.
inline std::atomic<int32_t> SwoopMode{0};

// The play surface (the whole screen as the instrument) is shown; registry only.
inline std::atomic<bool> PlaySurface{false};

// Output format of the Wave and DirectSound engines.
inline std::atomic<bool> Stereo{false};      // 2 channels, else 1
inline std::atomic<bool> HighRate{false};    // 44100 Hz, else 22050 Hz
inline std::atomic<bool> SixteenBit{false};  // 16-bit signed samples, else 8-bit unsigned

// View flags of the main window: which parts of the note readout the status bar shows.
inline std::atomic<int32_t> ViewNoteFreq{1};  // 0/1: frequency
inline std::atomic<int32_t> ViewNoteMid{1};   // 0 off, 1 whole MIDI note, 2 with one decimal
inline std::atomic<int32_t> ViewNoteName{1};  // 0/1: note name and octave
inline std::atomic<int32_t> ViewNoteVol{1};   // 0/1: loudness
// 0/1: the nearest note and how many cents off it, in place of the MIDI note and its name.
inline std::atomic<int32_t> ViewNoteCents{0};

// General page: start-up and window behaviour.
inline std::atomic<bool> PlayOnStart{false};      // a sound page starts playing when it is created
inline std::atomic<bool> MinimizeOnStart{false};  // the main window starts minimised
inline std::atomic<bool> OnTop{false};            // the main window stays above others
inline std::atomic<bool> StopFocus{false};        // 1: keep sounding when the window loses focus

// Midi page.
inline std::atomic<int32_t> MidiVolume{80};   // 0..100, percent
inline std::atomic<int32_t> MidiPitch{40};    // 0..127, low note of the range
inline std::atomic<int32_t> MidiPitch2{80};   // 0..127, high note of the range
inline std::atomic<bool> MidiTremolo{false};  // stored and carried through, not used
inline std::atomic<int32_t> PitchBend{2};     // 0..127, bend range in semitones
inline std::atomic<int32_t> Instrument{79};   // zero-based General MIDI program

// A text setting shared between threads: copied in and out under a lock.
class SharedText {
  public:
    explicit SharedText(std::string_view initial) : text(initial) {}
    std::string get() const {
        std::lock_guard lock(mutex);
        return text;
    }
    void set(std::string_view value) {
        std::lock_guard lock(mutex);
        text = value;
    }

  private:
    mutable std::mutex mutex;
    std::string text;
};

// MIDI driver page (kept in the registry only).
inline std::atomic<int32_t> PatchOffset{1};  // 1: instruments shown and typed 1-based
inline SharedText MidiDriver{"-1"};          // product name of the output device; "-1" none chosen
constexpr std::size_t midiDriverMaxLength = 159;
// The built-in synth's SoundFont file; empty for the system's default General MIDI one.
inline SharedText SoundFont{""};
constexpr std::size_t soundFontMaxLength = 4095;

// The sound output of every page. The device is the sound server's name for it, empty for the
// system's default; it belongs to this machine, so it is kept in the registry only.
inline SharedText OutputDevice{""};
constexpr std::size_t outputDeviceMaxLength = 255;
// What the server holds ahead of the speaker, in ms: 0 (Auto) lets the output choose and raise
// it when dropouts come, else outputLatencyLeast..outputLatencyMost.
inline std::atomic<int32_t> OutputLatency{0};
constexpr int32_t outputLatencyLeast = 5;
constexpr int32_t outputLatencyMost = 100;

}  // namespace settings
