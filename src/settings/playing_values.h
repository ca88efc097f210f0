#pragma once
// The playing aids: how the cursor's x is laid out in pitch, the concert pitch, the correction
// toward a scale, the DirectSound page's glide and the loudness curve. Every default leaves the
// instrument exactly as designed: the linear hertz layout, no correction, the classic slew of 5 Hz
// per step.
//
// Atomics, so that the timer-driven engines may read them while the GUI thread changes them.
// Initial values are those of a first start without stored settings.

#include <atomic>
#include <cstdint>

namespace settings {

enum class PitchLayout : int32_t { Hertz, Semitones };

// How the cursor's height is heard: "as designed" (each page's own mapping) or even in decibels.
enum class LoudnessCurve : int32_t { Designed, Decibels };

enum class MusicalScale : int32_t {
    Chromatic,
    Major,
    Minor,  // natural minor
    MajorPentatonic,
    MinorPentatonic,
    Blues,
    WholeTone,
};

inline constexpr int32_t scaleCount = 7;
inline constexpr int32_t highestMidiNote = 127;
inline constexpr int32_t strengthMaxPercent = 100;
inline constexpr int32_t correctionRateMaxMs = 2000;
inline constexpr int32_t glideMaxMs = 5000;
// The Glide value of the designed slew (5 Hz per step) instead of a glide time.
inline constexpr int32_t glideClassic = -1;

// Concert pitch, the A above middle C, in tenths of a hertz.
inline constexpr int32_t concertPitchLowest = 4000;
inline constexpr int32_t concertPitchHighest = 4800;
inline constexpr int32_t defaultConcertPitch = 4400;
// The decibels the even curve spans from the top edge to just above the bottom one.
inline constexpr int32_t loudnessRangeLeast = 10;
inline constexpr int32_t loudnessRangeMost = 60;
inline constexpr int32_t defaultLoudnessRange = 40;

inline constexpr int32_t defaultLowNote = 45;   // A2
inline constexpr int32_t defaultHighNote = 93;  // A6
inline constexpr int32_t defaultStrength = 100;
inline constexpr int32_t defaultCorrectionRate = 80;

inline std::atomic<PitchLayout> CursorLayout{PitchLayout::Hertz};
// MIDI notes at the left and right edges of the semitones layout: 0..127, LowNote < HighNote.
inline std::atomic<int32_t> LowNote{defaultLowNote};
inline std::atomic<int32_t> HighNote{defaultHighNote};

inline std::atomic<bool> Correction{false};
inline std::atomic<MusicalScale> CorrectionScale{MusicalScale::Chromatic};
inline std::atomic<int32_t> CorrectionRoot{0};                      // 0..11, C..B
inline std::atomic<int32_t> CorrectionStrength{defaultStrength};    // 0..100 %
inline std::atomic<int32_t> CorrectionRate{defaultCorrectionRate};  // ms, 0..correctionRateMaxMs

inline std::atomic<int32_t> ConcertPitch{defaultConcertPitch};  // tenths of Hz
inline std::atomic<LoudnessCurve> Loudness{LoudnessCurve::Designed};
inline std::atomic<int32_t> LoudnessRange{defaultLoudnessRange};  // dB

// The DirectSound page: glideClassic, or the glide's time constant in ms (0..glideMaxMs).
inline std::atomic<int32_t> Glide{glideClassic};

}  // namespace settings
