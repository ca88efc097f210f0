#include "settings/midi_page_settings.h"

#include "settings/ranged_settings.h"
#include "settings/settings_values.h"

namespace settings {

namespace {

const RangedSetting midiValues[] = {
    {"MidiVolume", MidiVolume, 80, 50, 80, 0, 100}, {"MidiPitch", MidiPitch, 40, 1, 40, 0, 127},
    {"MidiPitch2", MidiPitch2, 80, 1, 80, 0, 127},  {"PitchBend", PitchBend, 2, 2, 2, 0, 127},
    {"Instrument", Instrument, 79, 79, 79, 0, 128},
};

constexpr const char* tremoloKey = "MidiTremolo";

}  // namespace

void readMidiPageSettings(const StoreSelector& store) {
    readRangedSettings(midiValues, store);
    if (store.useRegistry()) {
        MidiTremolo = readRegistryByte(*store.key, tremoloKey).value_or(0) != 0;
    } else if (store.useIni()) {
        MidiTremolo = readIniInt(store.iniFile, tremoloKey, 0) != 0;
    }
}

bool writeMidiPageSettings(const StoreSelector& store) {
    const bool ok = writeRangedSettings(midiValues, store);
    return writeStoredNumber(store, tremoloKey, MidiTremolo ? 1 : 0) && ok;
}

}  // namespace settings
