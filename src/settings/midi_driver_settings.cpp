#include "settings/midi_driver_settings.h"

#include "platform/utf8_text.h"
#include "settings/settings_values.h"
#include "settings/store_selector.h"

namespace settings {

namespace {

// Room for the longest name the driver page stores, so that every stored name reads back.
constexpr uint32_t driverBuffer = midiDriverMaxLength + 1;
constexpr uint32_t soundFontBuffer = soundFontMaxLength + 1;
constexpr const char* soundFontKey = "SoundFont";

bool holdsValue(const platform::RegistryKey& key, const char* name) {
    uint32_t size = 0;
    return key.queryValue(name, nullptr, nullptr, &size) == platform::RegResult::Success;
}

}  // namespace

void readMidiDriverSettings(const platform::RegistryKey* key) {
    if (key == nullptr) {
        PatchOffset = 1;
        MidiDriver.set("-1");
        SoundFont.set("");
        return;
    }
    PatchOffset = readRegistryByte(*key, "PatchOffset").value_or(1) != 0 ? 1 : 0;
    MidiDriver.set(readRegistryText(*key, "MidiDriver", driverBuffer).value_or("-1"));
    SoundFont.set(readRegistryText(*key, soundFontKey, soundFontBuffer).value_or(""));
}

void resetMidiDriverForSettingsFile() {
    PatchOffset = 1;
    MidiDriver.set("-1");
}

bool writeMidiDriverSettings(platform::RegistryKey* key) {
    if (key == nullptr) {
        return true;
    }
    const bool ok = writeRegistryByte(*key, "PatchOffset", PatchOffset != 0 ? 1 : 0);
    const std::string driver = MidiDriver.get();
    const bool driverStored = writeRegistryText(
        *key, "MidiDriver", std::string(platform::text::utf8Prefix(driver, midiDriverMaxLength)));
    // Written only once the user names one, so a first start's file stays as it was. Once stored,
    // a cleared name is stored too: left out, the old file would load again at the next start.
    const std::string soundFont = SoundFont.get();
    const bool soundFontStored = (soundFont.empty() && !holdsValue(*key, soundFontKey)) ||
                                 (soundFont.size() <= soundFontMaxLength &&
                                  writeRegistryText(*key, soundFontKey, soundFont));
    return driverStored && soundFontStored && ok;
}

}  // namespace settings
