#include "platform/backends/system_midi_devices.h"

#include "platform/backends/system_audio_device.h"

namespace platform {

SystemMidiDevices::SystemMidiDevices(const std::string& soundFont, AudioDeviceFactory makeDevice)
    : synth(std::make_shared<FluidSynthPort>(soundFont, std::move(makeDevice))),
      sequencer(AlsaSequencer::open()) {}

std::vector<std::shared_ptr<MidiOutPort>> SystemMidiDevices::ports() {
    std::vector<std::shared_ptr<MidiOutPort>> list;
    if (synth->soundFontLoaded()) {
        list.push_back(synth);
    }
    if (sequencer != nullptr) {
        list.push_back(sequencer->ownPort());
        auto others = sequencer->writablePorts();
        list.insert(list.end(), others.begin(), others.end());
    }
    return list;
}

std::shared_ptr<MidiOutPort> SystemMidiDevices::mapperPort() {
    if (synth->soundFontLoaded()) {
        return synth;
    }
    if (sequencer == nullptr) {
        return nullptr;
    }
    auto others = sequencer->writablePorts();
    return others.empty() ? sequencer->ownPort() : others.front();
}

std::string SystemMidiDevices::synthProblem() {
    return synth->loadError();
}

std::unique_ptr<SystemMidiDevices> makeSystemMidiDevices(const std::string& soundFont) {
    return std::make_unique<SystemMidiDevices>(soundFont, makeSystemAudioDevice);
}

}  // namespace platform
