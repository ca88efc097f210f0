#include "controls/tone_sliders.h"

#include <QLabel>
#include <QSignalBlocker>
#include <algorithm>

#include "controls/tv_slider.h"
#include "settings/settings_values.h"

namespace controls {

const ToneSlider volumeTone{settings::Volume, 100, 100, ""};
const ToneSlider pitchTone{settings::Pitch, 11, 10, "kHz"};
const ToneSlider vibratoTone{settings::Vibrato, 3, 3, ""};
const ToneSlider timbreTone{settings::Timbre, 10, 10, ""};

void placeToneSlider(TVSlider& slider, const ToneSlider& tone) {
    const QSignalBlocker quiet(&slider);
    slider.setPosition(tone.top - tone.setting);
}

void takeToneSetting(const TVSlider& slider, const ToneSlider& tone, QWidget* valueLabel) {
    tone.setting = std::min(tone.top - slider.position(), tone.highest);
    if (auto* label = qobject_cast<QLabel*>(valueLabel)) {
        label->setText(QString::number(tone.setting) + QString::fromUtf8(tone.unit));
    }
}

}  // namespace controls
