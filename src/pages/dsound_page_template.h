#pragma once
// The "DirectSound" page's dialog template and control ids: constants, read on the GUI thread.
// The ids are the Wave page's, so both pages share their help texts.

#include "framework/dialog.h"

namespace dsoundpage {

inline constexpr int dialogId = 16;

inline constexpr int playButton = 105;
inline constexpr int stopButton = 106;

// Sliders (made by the page, not in the template), each over its frame static, with the static
// that shows its value.
inline constexpr int volumeSlider = 110;
inline constexpr int pitchSlider = 111;
inline constexpr int timbreSlider = 112;

inline constexpr int volumeFrame = 102;
inline constexpr int pitchFrame = 107;
inline constexpr int timbreFrame = 114;

inline constexpr int volumeValue = 108;
inline constexpr int pitchValue = 109;
inline constexpr int timbreValue = 113;

inline constexpr int thumbBitmap = 5004;

extern const framework::DialogTemplate dialogTemplate;

}  // namespace dsoundpage
