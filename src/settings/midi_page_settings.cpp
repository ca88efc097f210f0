#include "settings/midi_page_settings.h"

#include <atomic>

#include "settings/settings_values.h"

namespace settings {

namespace {

struct MidiValue {
    const char* key;
    std::atomic<int32_t>& value;
    int32_t registryDefault;
    int32_t iniDefault;
    int32_t iniOutOfRange;
    int32_t low;
    int32_t high;
};

const MidiValue midiValues[] = {
    {"MidiVolume", MidiVolume, 80, 50, 80, 0, 100}, {"MidiPitch", MidiPitch, 40, 1, 40, 0, 127},
    {"MidiPitch2", MidiPitch2, 80, 1, 80, 0, 127},  {"PitchBend", PitchBend, 2, 2, 2, 0, 127},
    {"Instrument", Instrument, 79, 79, 79, 0, 128},
};

constexpr const char* tremoloKey = "MidiTremolo";

}  // namespace

void readMidiPageSettings(const StoreSelector& store) {
    if (store.useRegistry()) {
        for (const MidiValue& v : midiValues) {
            v.value = readRegistryByte(*store.key, v.key).value_or(v.registryDefault);
        }
        MidiTremolo = readRegistryByte(*store.key, tremoloKey).value_or(0) != 0;
    } else if (store.useIni()) {
        for (const MidiValue& v : midiValues) {
            const int32_t read = readIniInt(store.iniFile, v.key, v.iniDefault);
            v.value = (read >= v.low && read <= v.high) ? read : v.iniOutOfRange;
        }
        MidiTremolo = readIniInt(store.iniFile, tremoloKey, 0) != 0;
    }
}

bool writeMidiPageSettings(const StoreSelector& store) {
    const auto write = [&](const char* key, int32_t value) {
        if (store.useRegistry()) {
            return writeRegistryByte(*store.key, key, value);
        }
        return !store.useIni() || writeIniInt(store.iniFile, key, value);
    };
    bool ok = true;
    for (const MidiValue& v : midiValues) {
        ok = write(v.key, v.value) && ok;
    }
    return write(tremoloKey, MidiTremolo ? 1 : 0) && ok;
}

}  // namespace settings
