#include "engine/tone/note_readout.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

#include "engine/tone/pitch_layout.h"
#include "settings/settings_values.h"

namespace engine {

namespace {

constexpr const char* kNoteNames[12] = {"C ", "C#", "D ", "D#", "E ", "F ",
                                        "F#", "G ", "G#", "A ", "A#", "B "};
// The readout's note numbers are computed with this single-precision divisor rather than ln 2,
// so that they match what the instrument has always shown (880 Hz reads 81.0025).
constexpr float kLn2AsShown = 0.693F;

// The note number truncated toward zero; a frequency of 0 (note -infinity) has no whole note.
int32_t wholeNote(float note) {
    if (!std::isfinite(note) || note <= static_cast<float>(std::numeric_limits<int32_t>::min()) ||
        note >= static_cast<float>(std::numeric_limits<int32_t>::max())) {
        return 0;
    }
    return static_cast<int32_t>(note);
}

// The nearest whole note; 0 where there is none, as wholeNote.
int32_t nearestNote(double pitch) {
    return std::isfinite(pitch) ? wholeNote(static_cast<float>(std::round(pitch))) : 0;
}

// The nearest note and cents form: frequency and loudness as their flags say.
void appendCentsForm(ReadoutText& text, double frequency, double pitch, int32_t loudness,
                     ViewFlags view) {
    if (view.frequency != 0) {
        const bool shown = frequency >= 0.0 && frequency < 1.0e9;
        text.append("%.1f Hz  ", shown ? frequency : 0.0);
    }
    const std::optional<NoteAndCents> nearest = nearestNoteAndCents(pitch);
    const ReadoutText name = nearest ? shortNoteName(nearest->note) : ReadoutText();
    if (nearest && name.c_str()[0] != '\0') {
        text.append("%s %+dc", name.c_str(), nearest->cents);
    } else {
        text.append("---");
    }
    if (view.loudness != 0) {
        text.append("  loudness %d", loudness);
    }
}

void appendNoteParts(ReadoutText& text, float note, int32_t whole, ViewFlags view) {
    if (view.midiNote == 0 && view.noteName == 0) {
        return;
    }
    if (view.midiNote == 1) {
        text.append(" %3.d", whole);
    } else if (view.midiNote == 2) {
        text.append(" %5.1f", static_cast<double>(note));
    }
    if (view.noteName != 0) {
        text.append(" %s", noteName(whole).c_str());
    }
}

}  // namespace

void ReadoutText::append(const char* format, ...) {
    if (length + 1 >= text.size()) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    const int written =
        std::vsnprintf(text.data() + length, text.size() - length, format, arguments);
    va_end(arguments);
    if (written > 0) {
        length = std::min(length + static_cast<size_t>(written), text.size() - 1);
    }
}

ViewFlags currentViewFlags() {
    return ViewFlags{settings::ViewNoteFreq.load(std::memory_order_relaxed),
                     settings::ViewNoteMid.load(std::memory_order_relaxed),
                     settings::ViewNoteName.load(std::memory_order_relaxed),
                     settings::ViewNoteVol.load(std::memory_order_relaxed),
                     settings::ViewNoteCents.load(std::memory_order_relaxed)};
}

float noteFromFrequency(int32_t frequency) {
    const double ratio = static_cast<double>(frequency) / concertPitch();
    return static_cast<float>(std::log(ratio) / static_cast<double>(kLn2AsShown) * 12.0 + 69.0);
}

int32_t frequencyFromNote(float note) {
    const auto hz = static_cast<float>(std::pow(2.0, (static_cast<double>(note) - 69.0) / 12.0) *
                                       concertPitch());
    if (!std::isfinite(hz) || hz >= static_cast<float>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(hz);
}

ReadoutText noteName(int32_t note) {
    ReadoutText text;
    if (note < 21 || note > 108) {
        text.append("---");
    } else {
        text.append("%s%d", kNoteNames[note % 12], note / 12 - 1);
    }
    return text;
}

ReadoutText shortNoteName(int32_t note) {
    ReadoutText text;
    if (note >= 21 && note <= 108) {
        const char* name = kNoteNames[note % 12];
        text.append("%.*s%d", name[1] == ' ' ? 1 : 2, name, note / 12 - 1);
    }
    return text;
}

std::optional<NoteAndCents> nearestNoteAndCents(double pitch) {
    if (!std::isfinite(pitch) || pitch < -1.0 || pitch > 128.0) {
        return std::nullopt;
    }
    NoteAndCents nearest;
    nearest.note = static_cast<int32_t>(std::lround(pitch));
    nearest.cents = static_cast<int32_t>(std::lround((pitch - nearest.note) * 100.0));
    return nearest;
}

ReadoutText readoutFromFrequency(int32_t frequency, int32_t loudness, ViewFlags view) {
    ReadoutText text;
    if (view.cents != 0) {
        appendCentsForm(text, frequency, pitchFromFrequency(frequency), loudness, view);
        return text;
    }
    if (view.frequency != 0) {
        text.append(" %5.dHz", frequency);
    }
    const float note = noteFromFrequency(frequency);
    appendNoteParts(text, note, wholeNote(note), view);
    if (view.loudness != 0) {
        text.append("     %3.d", loudness);
    }
    return text;
}

ReadoutText readoutFromFrequency(int32_t frequency, int32_t loudness) {
    return readoutFromFrequency(frequency, loudness, currentViewFlags());
}

ReadoutText readoutFromNote(float note, int32_t loudness, ViewFlags view) {
    ReadoutText text;
    if (view.cents != 0) {
        appendCentsForm(text, frequencyFromPitch(note), note, loudness, view);
        return text;
    }
    if (view.frequency != 0) {
        text.append(" %5dHz", frequencyFromNote(note));
    }
    appendNoteParts(text, note, wholeNote(note), view);
    if (view.loudness != 0) {
        text.append("     %3.d", loudness);
    }
    return text;
}

ReadoutText readoutFromNote(float note, int32_t loudness) {
    return readoutFromNote(note, loudness, currentViewFlags());
}

ReadoutText readoutFromPitch(double pitch, double frequency, int32_t loudness, ViewFlags view) {
    ReadoutText text;
    if (view.cents != 0) {
        appendCentsForm(text, frequency, pitch, loudness, view);
        return text;
    }
    if (view.frequency != 0) {
        const bool shown = frequency >= 0.0 &&
                           frequency < static_cast<double>(std::numeric_limits<int32_t>::max());
        // NOLINTNEXTLINE(bugprone-incorrect-roundings): not negative where shown
        text.append(" %5.dHz", shown ? static_cast<int32_t>(frequency + 0.5) : 0);
    }
    appendNoteParts(text, static_cast<float>(pitch), nearestNote(pitch), view);
    if (view.loudness != 0) {
        text.append("     %3.d", loudness);
    }
    return text;
}

ReadoutText readoutFromPitch(double pitch, int32_t loudness, ViewFlags view) {
    return readoutFromPitch(pitch, frequencyFromPitch(pitch), loudness, view);
}

ReadoutText readoutFromPitch(double pitch, int32_t loudness) {
    return readoutFromPitch(pitch, loudness, currentViewFlags());
}

}  // namespace engine
