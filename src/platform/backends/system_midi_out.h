#pragma once
// The MIDI output the Midi page plays through: the built-in synth, Lirveto's own sequencer port
// and the machine's sequencer ports, with the mapper.

#include <memory>
#include <string>

#include "platform/midiout_api.h"

namespace platform {

// GUI thread. Starts loading `soundFont` (empty: the synth's default) in the background and
// returns at once; the first question about the devices waits for the load to end.
std::unique_ptr<MidiOutApi> makeSystemMidiOut(const std::string& soundFont);

}  // namespace platform
