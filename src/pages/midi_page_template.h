#pragma once
// The "Midi" page's dialog template and control ids.

#include "framework/dialog.h"

namespace midipage {

inline constexpr int dialogId = 15;

inline constexpr int playButton = 105;
inline constexpr int stopButton = 106;

// Sliders (made by the page, not in the template), each over its frame static, with the static
// that shows its value.
inline constexpr int volumeSlider = 110;
inline constexpr int lowPitchSlider = 111;
inline constexpr int highPitchSlider = 121;

inline constexpr int volumeFrame = 102;
inline constexpr int lowPitchFrame = 107;
inline constexpr int highPitchFrame = 120;

inline constexpr int volumeValue = 108;
inline constexpr int lowPitchValue = 109;
inline constexpr int highPitchValue = 122;

inline constexpr int instrumentCombo = 130;
inline constexpr int bendRangeEdit = 101;

inline constexpr int thumbBitmap = 5004;

extern const framework::DialogTemplate dialogTemplate;

}  // namespace midipage
