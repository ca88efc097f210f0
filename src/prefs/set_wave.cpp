#include "prefs/set_wave.h"

#include <QButtonGroup>
#include <QRadioButton>

#include "platform/waveout/wave_out_api.h"
#include "settings/settings_values.h"

namespace {

using framework::DialogItem;
using framework::ItemKind;

const DialogItem waveItems[] = {
    {307, ItemKind::GroupBox, "S&ample rate", 6, 4, 148, 30},
    {TSetWave::rate22Button, ItemKind::RadioButton, "&22kHz", 14, 16, 60, 10},
    {TSetWave::rate44Button, ItemKind::RadioButton, "&44kHz", 84, 16, 60, 10},
    {304, ItemKind::GroupBox, "&Channels", 6, 40, 148, 30},
    {TSetWave::monoButton, ItemKind::RadioButton, "&Mono", 14, 52, 60, 10},
    {TSetWave::stereoButton, ItemKind::RadioButton, "&Stereo", 84, 52, 60, 10},
    {308, ItemKind::GroupBox, "&Resolution", 6, 76, 148, 30},
    {TSetWave::bits8Button, ItemKind::RadioButton, "&8 Bit", 14, 88, 60, 10},
    {TSetWave::bits16Button, ItemKind::RadioButton, "&16 Bit", 84, 88, 60, 10},
};

const framework::DialogTemplate waveTemplate{TSetWave::resourceId, "Wave", 160, 112, 8, waveItems};

constexpr std::array<int, 6> transferIds = {
    TSetWave::monoButton,   TSetWave::stereoButton, TSetWave::rate22Button,
    TSetWave::rate44Button, TSetWave::bits8Button,  TSetWave::bits16Button,
};

}  // namespace

std::span<const framework::Response<TSetWave>> TSetWave::responseTable() {
    return {};
}

TSetWave::TSetWave(platform::WaveOutApi* output, QWidget* parent)
    : TPropertyPage(parent, waveTemplate),
      ContextHelpWin(this, controls::helptables::wavePrefs, controls::helptables::wavePrefsContext),
      waveOut(output) {
    setTransferBuffer(transfer, transferIds);
}

void TSetWave::setupWindow() {
    // Each pair is a group of its own, as the boxes around them show.
    for (std::size_t pair = 0; pair < transferIds.size(); pair += 2) {
        auto* group = new QButtonGroup(this);
        for (const int id : {transferIds[pair], transferIds[pair + 1]}) {
            if (auto* button = qobject_cast<QRadioButton*>(item(id))) {
                group->addButton(button);
            }
        }
    }
    TPropertyPage::setupWindow();
    if (!deviceHasVolume()) {
        if (QWidget* stereo = item(stereoButton)) {
            stereo->setEnabled(false);
        }
        transfer[0] = 1;
        transfer[1] = 0;
        if (auto* mono = qobject_cast<QRadioButton*>(item(monoButton))) {
            mono->setChecked(true);
        }
    }
}

bool TSetWave::deviceHasVolume() const {
    platform::WaveOutCaps caps;
    return waveOut != nullptr && waveOut->getDevCaps(0, &caps) == platform::mm::MMSYSERR_NOERROR &&
           (caps.support & platform::mm::WAVECAPS_VOLUME) != 0;
}

void TSetWave::TransferData(framework::TransferDirection direction) {
    if (direction == framework::TransferDirection::setData) {
        transfer = {settings::Stereo ? std::uint16_t{0} : std::uint16_t{1},
                    settings::Stereo ? std::uint16_t{1} : std::uint16_t{0},
                    settings::HighRate ? std::uint16_t{0} : std::uint16_t{1},
                    settings::HighRate ? std::uint16_t{1} : std::uint16_t{0},
                    settings::SixteenBit ? std::uint16_t{0} : std::uint16_t{1},
                    settings::SixteenBit ? std::uint16_t{1} : std::uint16_t{0}};
        TPropertyPage::TransferData(direction);
        return;
    }
    TPropertyPage::TransferData(direction);
    settings::Stereo = transfer[0] == 0;
    settings::HighRate = transfer[2] == 0;
    settings::SixteenBit = transfer[4] == 0;
}
