#pragma once
// Puts the playing aids (layout, correction, glide, concert pitch, loudness) back as a test
// found them.

#include <cstdint>

#include "settings/playing_values.h"

class ScopedPlayingSettings {
  public:
    ScopedPlayingSettings()
        : layout(settings::CursorLayout),
          lowNote(settings::LowNote),
          highNote(settings::HighNote),
          correction(settings::Correction),
          scale(settings::CorrectionScale),
          root(settings::CorrectionRoot),
          strength(settings::CorrectionStrength),
          rate(settings::CorrectionRate),
          glide(settings::Glide),
          concertPitch(settings::ConcertPitch),
          loudness(settings::Loudness),
          loudnessRange(settings::LoudnessRange) {}
    ~ScopedPlayingSettings() {
        settings::CursorLayout = layout;
        settings::LowNote = lowNote;
        settings::HighNote = highNote;
        settings::Correction = correction;
        settings::CorrectionScale = scale;
        settings::CorrectionRoot = root;
        settings::CorrectionStrength = strength;
        settings::CorrectionRate = rate;
        settings::Glide = glide;
        settings::ConcertPitch = concertPitch;
        settings::Loudness = loudness;
        settings::LoudnessRange = loudnessRange;
    }
    ScopedPlayingSettings(const ScopedPlayingSettings&) = delete;
    ScopedPlayingSettings& operator=(const ScopedPlayingSettings&) = delete;

  private:
    settings::PitchLayout layout;
    int32_t lowNote, highNote;
    bool correction;
    settings::MusicalScale scale;
    int32_t root, strength, rate, glide, concertPitch;
    settings::LoudnessCurve loudness;
    int32_t loudnessRange;
};
