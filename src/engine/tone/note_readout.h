#pragma once
// The status-bar text that shows what is sounding: frequency, MIDI note, note name, loudness;
// or, as the View menu chooses, "519.8 Hz  C5 -11c  loudness 62": the frequency to a tenth of a
// hertz and the nearest note with the cents from it.
//
// Thread: any thread (every function here).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace engine {

// Which parts of the readout are shown (the View menu's flags).
struct ViewFlags {
    int32_t frequency = 1;  // ViewNoteFreq
    int32_t midiNote = 1;   // ViewNoteMid: 0 off, 1 whole number, 2 one decimal
    int32_t noteName = 1;   // ViewNoteName
    int32_t loudness = 1;   // ViewNoteVol
    int32_t cents = 0;      // ViewNoteCents: the nearest note and cents in place of the note parts
    friend bool operator==(const ViewFlags&, const ViewFlags&) = default;
};

// The view flags of the process-wide settings.
ViewFlags currentViewFlags();

// A readout held by value, so that building one allocates nothing.
class ReadoutText {
  public:
    const char* c_str() const { return text.data(); }
    void append(const char* format, ...) __attribute__((format(printf, 2, 3)));

  private:
    std::array<char, 96> text{};
    size_t length = 0;
};

// MIDI note number of a frequency (69 is the concert pitch), single precision.
float noteFromFrequency(int32_t frequency);
// Whole Hz of a note number.
int32_t frequencyFromNote(float note);
// "A 4" style name with octave for notes 21..108, else "---".
ReadoutText noteName(int32_t note);
// "A4": the name without its blank; empty where noteName has none.
ReadoutText shortNoteName(int32_t note);

// The note nearest to an exact pitch and how far the pitch lies from it, as the status bar and
// the play surface both show it.
struct NoteAndCents {
    int32_t note = 0;
    int32_t cents = 0;  // -50..50, the upper note's -50 where the pitch lies halfway
};
// Nothing for a pitch that is not finite or names no MIDI note (outside -1..128).
std::optional<NoteAndCents> nearestNoteAndCents(double pitch);

ReadoutText readoutFromFrequency(int32_t frequency, int32_t loudness, ViewFlags view);
ReadoutText readoutFromFrequency(int32_t frequency, int32_t loudness);  // current view flags
ReadoutText readoutFromNote(float note, int32_t loudness, ViewFlags view);
ReadoutText readoutFromNote(float note, int32_t loudness);  // current view flags
// An exact pitch, as the playing aids make it: the frequency rounded to whole hertz, and the
// nearest note (not the one below) as the note number and name, since a corrected pitch settles
// a hair either side of its note.
ReadoutText readoutFromPitch(double pitch, int32_t loudness, ViewFlags view);
ReadoutText readoutFromPitch(double pitch, int32_t loudness);  // current view flags
// The same for a pitch whose frequency the caller has at hand (it sounds at `frequency` Hz).
ReadoutText readoutFromPitch(double pitch, double frequency, int32_t loudness, ViewFlags view);

}  // namespace engine
