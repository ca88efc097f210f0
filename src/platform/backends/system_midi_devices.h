#pragma once
// The MIDI output devices of this machine, in id order: the built-in synth (when its SoundFont
// loaded), Lirveto's own sequencer port, then every writable sequencer port. The mapper opens
// the built-in synth, else the first sequencer port that leads somewhere (our own port only
// when there is no other).
//
// Threads: GUI, as MidiOutDevices. Making the list starts the SoundFont loading in the
// background; the first question about the devices waits for it to end.

#include <memory>
#include <string>

#include "platform/backends/alsa_seq_ports.h"
#include "platform/backends/fluid_synth_port.h"
#include "platform/midiout.h"

namespace platform {

class SystemMidiDevices final : public MidiOutDevices {
  public:
    // soundFont: the user's SoundFont file, empty for the default one.
    SystemMidiDevices(const std::string& soundFont, AudioDeviceFactory makeDevice);

    std::vector<std::shared_ptr<MidiOutPort>> ports() override;
    std::shared_ptr<MidiOutPort> mapperPort() override;

    // Why there is no built-in synth (empty when there is one). Waits for the load.
    std::string synthProblem();
    bool hasSequencer() const { return sequencer != nullptr; }

  private:
    std::shared_ptr<FluidSynthPort> synth;
    std::shared_ptr<AlsaSequencer> sequencer;
};

// The devices over SDL audio output with `soundFont` (empty: the default one). GUI thread.
std::unique_ptr<SystemMidiDevices> makeSystemMidiDevices(const std::string& soundFont);

}  // namespace platform
