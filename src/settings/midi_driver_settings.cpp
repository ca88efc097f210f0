#include "settings/midi_driver_settings.h"

#include "settings/settings_values.h"
#include "settings/store_selector.h"

namespace settings {

namespace {

// Room for the longest name the driver page stores, so that every stored name reads back.
constexpr uint32_t driverBuffer = midiDriverMaxLength + 1;

}  // namespace

void readMidiDriverSettings(const platform::RegistryKey* key) {
    if (key == nullptr) {
        PatchOffset = 1;
        MidiDriver.set("-1");
        return;
    }
    PatchOffset = readRegistryByte(*key, "PatchOffset").value_or(1) != 0 ? 1 : 0;
    MidiDriver.set(readRegistryText(*key, "MidiDriver", driverBuffer).value_or("-1"));
}

bool writeMidiDriverSettings(platform::RegistryKey* key) {
    if (key == nullptr) {
        return true;
    }
    const bool ok = writeRegistryByte(*key, "PatchOffset", PatchOffset != 0 ? 1 : 0);
    std::string driver = MidiDriver.get();
    driver.resize(std::min(driver.size(), midiDriverMaxLength));
    return writeRegistryText(*key, "MidiDriver", driver) && ok;
}

}  // namespace settings
