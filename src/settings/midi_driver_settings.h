#pragma once
// The MIDI driver settings, kept in the registry only: PatchOffset, MidiDriver and SoundFont (the
// built-in synth's SoundFont file). GUI thread.

#include "platform/registry.h"

namespace settings {

// A value that cannot be read (always so without a key) takes its default: patch offset 1,
// driver "-1", no SoundFont file (the default one).
void readMidiDriverSettings(const platform::RegistryKey* key);

// Loading a settings file, which holds none of these values: the driver returns to "-1" and the
// patch offset to 1, as designed; the SoundFont stays, since it belongs to this machine's synth
// rather than to the instrument a settings file describes.
void resetMidiDriverForSettingsFile();

// Writes nothing without a key. Returns whether every value was stored.
bool writeMidiDriverSettings(platform::RegistryKey* key);

}  // namespace settings
