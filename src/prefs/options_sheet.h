#pragma once
// The "Options" sheet: General, Wave, MIDI, Playing and Output pages, OK, Cancel and Help.
// Thread: GUI.

#include <functional>
#include <memory>
#include <vector>

#include "framework/property_sheet.h"
#include "platform/backends/output_devices.h"

namespace framework {
class FileDialogs;
}
namespace platform {
class MidiOutApi;
class WaveOutApi;
}  // namespace platform

namespace prefs {

// What the pages reach outside the sheet.
struct OptionsServices {
    std::function<void(bool)> setTopmost;  // the main window above others, or not
    platform::WaveOutApi* waveOut = nullptr;
    platform::MidiOutApi* midiOut = nullptr;
    framework::FileDialogs& fileDialogs;
    // The sound server's output devices (none when not given).
    std::function<std::vector<platform::OutputDevice>()> listOutputDevices = {};
};

// The sheet with its five pages, starting on the first, not yet shown.
std::unique_ptr<framework::TPropertySheet> makeOptionsSheet(QWidget* parent,
                                                            const OptionsServices& services);

}  // namespace prefs
