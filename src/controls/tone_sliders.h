#pragma once
// The tone sliders the Wave and DirectSound pages share: each stands for a setting counted down
// from its top position, and shows the setting in its value label. Thread: GUI.

#include <atomic>
#include <cstdint>

class QWidget;

namespace controls {

class TVSlider;

struct ToneSlider {
    std::atomic<int32_t>& setting;
    int top;      // the setting at position 0
    int highest;  // the largest setting the slider may give
    const char* unit;
};

// Volume 0..100; Pitch 1..10 kHz (the top position would give 11, beyond the mapping's range);
// Vibrato 0..3; Timbre 0..10.
extern const ToneSlider volumeTone;
extern const ToneSlider pitchTone;
extern const ToneSlider vibratoTone;
extern const ToneSlider timbreTone;

// Puts the slider where the setting says, without signalling a move.
void placeToneSlider(TVSlider& slider, const ToneSlider& tone);
// Takes the setting from the slider's position and shows it in `valueLabel` (a QLabel, or null).
void takeToneSetting(const TVSlider& slider, const ToneSlider& tone, QWidget* valueLabel);

}  // namespace controls
