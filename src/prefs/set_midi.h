#pragma once
// TSetMidi: the "MIDI" page of the Options sheet: the MIDI output device by its product name,
// 1-based instrument numbers, and the SoundFont of the built-in synth. Thread: GUI.

#include <QString>

#include "controls/context_help_win.h"
#include "framework/property_sheet.h"

class QComboBox;
class QLineEdit;

namespace framework {
class FileDialogs;
}
namespace platform {
class MidiOutApi;
}

class TSetMidi : public framework::TPropertyPage, public controls::ContextHelpWin {
  public:
    static constexpr int resourceId = 400;
    static constexpr int patchOffsetBox = 401;
    static constexpr int driverCombo = 402;
    static constexpr int driverLabel = 405;
    static constexpr int soundFontLabel = 406;
    static constexpr int soundFontEdit = 407;
    static constexpr int soundFontBrowse = 408;

    // `midiOut` (may be null) lists the devices; `fileDialogs` serves the Browse button.
    TSetMidi(platform::MidiOutApi* midiOut, framework::FileDialogs& fileDialogs,
             QWidget* parent = nullptr);

    void TransferData(framework::TransferDirection direction) override;

    QComboBox* driverBox() const;
    QLineEdit* soundFontField() const;

  protected:
    void setupWindow() override;

  private:
    LIRVETO_RESPONSE_TABLE2(TSetMidi, framework::TPropertyPage, controls::ContextHelpWin);

    framework::LRESULT browseSoundFont(framework::WPARAM, framework::LPARAM);
    void fillDriverList();
    // The first entry that begins with `name` (any case), "MIDI Mapper" for "-1"; a name that
    // begins no entry is shown as it was typed.
    void selectDriver(const QString& name);

    platform::MidiOutApi* midiOut;
    framework::FileDialogs& fileDialogs;
};
