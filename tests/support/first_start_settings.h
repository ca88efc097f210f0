#pragma once
// Puts the process-wide settings back to the values of a first start without stored settings,
// so that a test starts from a known point and changes only what it is about.

#include "settings/playing_values.h"
#include "settings/settings_values.h"

namespace testing_support {

// The Wave page's tone controls, the output format and the view flags.
inline void resetToneSettingsToFirstStart() {
    settings::Volume = 50;
    settings::Pitch = 10;
    settings::Vibrato = 0;
    settings::Timbre = 0;
    settings::SwoopMode = 0;
    settings::Stereo = false;
    settings::HighRate = false;
    settings::SixteenBit = false;
    settings::ViewNoteFreq = 1;
    settings::ViewNoteMid = 1;
    settings::ViewNoteName = 1;
    settings::ViewNoteVol = 1;
    settings::ViewNoteCents = 0;
}

// The playing aids: hertz layout, A2..A6, no correction, the classic glide, A4 = 440 Hz, the
// designed loudness.
inline void resetPlayingSettingsToFirstStart() {
    settings::CursorLayout = settings::PitchLayout::Hertz;
    settings::LowNote = settings::defaultLowNote;
    settings::HighNote = settings::defaultHighNote;
    settings::Correction = false;
    settings::CorrectionScale = settings::MusicalScale::Chromatic;
    settings::CorrectionRoot = 0;
    settings::CorrectionStrength = settings::defaultStrength;
    settings::CorrectionRate = settings::defaultCorrectionRate;
    settings::Glide = settings::glideClassic;
    settings::ConcertPitch = settings::defaultConcertPitch;
    settings::Loudness = settings::LoudnessCurve::Designed;
    settings::LoudnessRange = settings::defaultLoudnessRange;
}

// Every setting.
inline void resetSettingsToFirstStart() {
    resetToneSettingsToFirstStart();
    resetPlayingSettingsToFirstStart();
    settings::PlayOnStart = false;
    settings::MinimizeOnStart = false;
    settings::OnTop = false;
    settings::StopFocus = false;
    settings::MidiVolume = 80;
    settings::MidiPitch = 40;
    settings::MidiPitch2 = 80;
    settings::MidiTremolo = false;
    settings::PitchBend = 2;
    settings::Instrument = 79;
    settings::PatchOffset = 1;
    settings::MidiDriver.set("-1");
    settings::OutputDevice.set("");
    settings::OutputLatency = 0;
}

}  // namespace testing_support
