#pragma once
// The play surface's note guide: where each semitone lies across the screen and how loud each
// height plays, taken from the engines' own mappings so the guide always agrees with the tone.
//
// Thread: GUI (reads the settings the sliders write).

#include <QString>
#include <cstdint>
#include <vector>

#include "platform/cursor_source.h"
#include "settings/playing_values.h"

namespace surface {

// Which mapping the page on top plays by (in the hertz layout; the semitones layout is one for
// every page, LowNote .. HighNote).
enum class GuideMapping {
    frequency,  // Wave and DirectSound: linear in Hz over 20 Hz .. 20 Hz + Pitch kHz
    midi        // Midi: linear in semitones over MidiPitch .. MidiPitch2
};

// Lanes narrower than this cannot be aimed at: drawn faint and left unlabelled.
inline constexpr int32_t kNarrowestLane = 4;

struct GuideLine {
    int32_t x = 0;
    int32_t note = 0;       // MIDI note number
    int32_t laneWidth = 0;  // pixels to the neighbouring semitone's line
    bool natural = false;
    // While a correction is on: whether the note belongs to its scale (drawn strong) or not
    // (drawn faint). Without a correction every note counts as in the scale.
    bool inScale = true;
    bool root = false;  // while a correction is on: the note is the scale's root
    // The note's name where it can be aimed at: every scale note while a correction is on, else
    // every C and A; empty elsewhere.
    QString label;
};

struct LoudnessMark {
    int32_t y = 0;
    int32_t loudness = 0;  // what the page plays at this height
};

// Everything the guide depends on; a change of any of it redraws the guide.
struct GuideKey {
    GuideMapping mapping = GuideMapping::frequency;
    platform::ScreenSize screen;
    int32_t pitch = 0;
    int32_t volume = 0;
    int32_t midiLow = 0;
    int32_t midiHigh = 0;
    int32_t midiVolume = 0;
    settings::PitchLayout layout = settings::PitchLayout::Hertz;
    int32_t lowNote = 0;
    int32_t highNote = 0;
    bool correcting = false;
    settings::MusicalScale scale = settings::MusicalScale::Chromatic;
    int32_t root = 0;
    int32_t concertPitch = settings::defaultConcertPitch;
    settings::LoudnessCurve loudnessCurve = settings::LoudnessCurve::Designed;
    int32_t loudnessRange = settings::defaultLoudnessRange;
    friend bool operator==(const GuideKey& a, const GuideKey& b) {
        return a.mapping == b.mapping && a.screen.width == b.screen.width &&
               a.screen.height == b.screen.height && a.pitch == b.pitch && a.volume == b.volume &&
               a.midiLow == b.midiLow && a.midiHigh == b.midiHigh && a.midiVolume == b.midiVolume &&
               a.layout == b.layout && a.lowNote == b.lowNote && a.highNote == b.highNote &&
               a.correcting == b.correcting && a.scale == b.scale && a.root == b.root &&
               a.concertPitch == b.concertPitch && a.loudnessCurve == b.loudnessCurve &&
               a.loudnessRange == b.loudnessRange;
    }
};

struct NoteGuide {
    bool correcting = false;       // the lines tell the scale's notes from the others
    std::vector<GuideLine> lines;  // left to right
    std::vector<LoudnessMark> loudness;
    int32_t loudest = 0;  // the loudness at the top edge
};

// The key for the present settings.
GuideKey currentGuideKey(GuideMapping mapping, platform::ScreenSize screen);

// The guide for the present settings (which the key was taken from).
NoteGuide buildNoteGuide(const GuideKey& key);

// "A4" for 69: the readout's name without its blank; empty where the readout has none.
QString shortNoteName(int32_t note);

}  // namespace surface
