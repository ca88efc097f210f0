#pragma once
// Restores the tone and view settings a test changes, so tests do not leak into each other.

#include <cstdint>

#include "settings/settings_values.h"

class ScopedToneSettings {
  public:
    ScopedToneSettings()
        : volume(settings::Volume),
          pitch(settings::Pitch),
          vibrato(settings::Vibrato),
          timbre(settings::Timbre),
          swoopMode(settings::SwoopMode),
          stereo(settings::Stereo),
          highRate(settings::HighRate),
          sixteenBit(settings::SixteenBit),
          viewFreq(settings::ViewNoteFreq),
          viewMid(settings::ViewNoteMid),
          viewName(settings::ViewNoteName),
          viewVol(settings::ViewNoteVol),
          viewCents(settings::ViewNoteCents) {}
    ~ScopedToneSettings() {
        settings::Volume = volume;
        settings::Pitch = pitch;
        settings::Vibrato = vibrato;
        settings::Timbre = timbre;
        settings::SwoopMode = swoopMode;
        settings::Stereo = stereo;
        settings::HighRate = highRate;
        settings::SixteenBit = sixteenBit;
        settings::ViewNoteFreq = viewFreq;
        settings::ViewNoteMid = viewMid;
        settings::ViewNoteName = viewName;
        settings::ViewNoteVol = viewVol;
        settings::ViewNoteCents = viewCents;
    }
    ScopedToneSettings(const ScopedToneSettings&) = delete;
    ScopedToneSettings& operator=(const ScopedToneSettings&) = delete;

  private:
    int32_t volume, pitch, vibrato, timbre, swoopMode;
    bool stereo, highRate, sixteenBit;
    int32_t viewFreq, viewMid, viewName, viewVol, viewCents;
};
