#pragma once
// TSetWave: the "Wave" page of the Options sheet: sample rate, channels and resolution of what
// the Wave and DirectSound pages play and record. Thread: GUI.

#include <array>
#include <cstdint>

#include "controls/context_help_win.h"
#include "framework/property_sheet.h"

namespace platform {
class WaveOutApi;
}

class TSetWave : public framework::TPropertyPage, public controls::ContextHelpWin {
  public:
    static constexpr int resourceId = 330;
    static constexpr int monoButton = 301;
    static constexpr int stereoButton = 303;
    static constexpr int rate22Button = 305;
    static constexpr int rate44Button = 306;
    static constexpr int bits8Button = 309;
    static constexpr int bits16Button = 310;

    // `waveOut` (may be null: no output) tells whether device 0 has a volume control; without
    // one the page offers mono only.
    explicit TSetWave(platform::WaveOutApi* waveOut, QWidget* parent = nullptr);

    void TransferData(framework::TransferDirection direction) override;

  protected:
    void setupWindow() override;

  private:
    LIRVETO_RESPONSE_TABLE2(TSetWave, framework::TPropertyPage, controls::ContextHelpWin);

    bool deviceHasVolume() const;

    platform::WaveOutApi* waveOut;
    // Radio states: Mono, Stereo, 22kHz, 44kHz, 8 Bit, 16 Bit.
    std::array<std::uint16_t, 6> transfer{};
};
