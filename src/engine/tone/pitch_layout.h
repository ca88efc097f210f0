#pragma once
// How the cursor's x is laid out in pitch: "hertz", the designed linear mapping of
// cursor_mapping.h, or "semitones", every semitone as wide as the next from a low note at the
// left edge to a high note at the right, so that the notes lie at fixed, evenly spaced places.
// Pitches are in semitones as MIDI note numbers (69 is A4, at the concert pitch: 440 Hz unless
// the player tunes it), fractional between notes.
//
// Thread: any thread (every function here; none allocates).

#include <cstdint>
#include <optional>

#include "platform/cursor_source.h"
#include "settings/playing_values.h"

namespace engine {

struct CursorLayoutSetup {
    settings::PitchLayout layout = settings::PitchLayout::Hertz;
    int32_t lowNote = settings::defaultLowNote;    // semitones: the pitch of the left column
    int32_t highNote = settings::defaultHighNote;  // semitones: the pitch of the right column
};

// The layout the settings hold (CursorLayout, LowNote, HighNote).
CursorLayoutSetup currentCursorLayout();

// A4 in Hz: the settings' ConcertPitch (440.0 at a first start).
double concertPitch();
// How far the concert pitch lies from 440 Hz, in semitones (0 at 440 Hz): what a synth tuned to
// 440 Hz must be bent by to play in tune with the rest.
double concertOffset();

// A4 * 2^((pitch - 69) / 12), and back (0 Hz and below: minus infinity); A4 is concertPitch().
double frequencyFromPitch(double pitch);
double pitchFromFrequency(double frequency);

// The pitch of a cursor column. Semitones: lowNote at column 0, highNote at the last column,
// linear in between; a column off the screen as the nearest edge, an empty or one-column screen
// as lowNote. Hertz: the pitch of frequencyFromCursor(x, screen) (reads settings::Pitch).
double pitchFromCursor(int32_t x, platform::ScreenSize screen, const CursorLayoutSetup& setup);

// The frequency of a cursor column in Hz. Hertz: exactly frequencyFromCursor(x, screen), so
// that an engine can keep its whole-hertz arithmetic; semitones: that of pitchFromCursor.
double frequencyFromCursor(int32_t x, platform::ScreenSize screen, const CursorLayoutSetup& setup);

// Where a pitch lies on the screen, for drawing a guide: semitones, the exact (fractional)
// column; hertz, the first column that sounds its frequency (cursorFromFrequency). Nothing when
// the pitch lies outside the screen's range.
std::optional<double> cursorFromPitch(double pitch, platform::ScreenSize screen,
                                      const CursorLayoutSetup& setup);

}  // namespace engine
