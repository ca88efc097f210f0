#include "platform/midiout_virtual.h"

#include <utility>

namespace platform {

VirtualMidiPort::VirtualMidiPort(std::string productName, bool withVolume)
    : name(std::move(productName)), volumeCapable(withVolume) {}

MidiOutCaps VirtualMidiPort::caps() const {
    MidiOutCaps caps;
    setProductName(caps, name.c_str());
    caps.technology = mm::MOD_SWSYNTH;
    caps.voices = 1;
    caps.notes = 1;
    caps.support = volumeCapable ? mm::MIDICAPS_VOLUME : 0;
    return caps;
}

mm::MmResult VirtualMidiPort::open() {
    std::lock_guard lock(mutex);
    if (openResult != mm::MMSYSERR_NOERROR) {
        return openResult;
    }
    open_ = true;
    gone = false;
    ++openCount;
    sent.clear();
    volumeLog.clear();
    return mm::MMSYSERR_NOERROR;
}

void VirtualMidiPort::close() {
    std::lock_guard lock(mutex);
    open_ = false;
}

mm::MmResult VirtualMidiPort::shortMessage(uint32_t message) {
    std::lock_guard lock(mutex);
    sent.push_back(message);
    return mm::MMSYSERR_NOERROR;
}

mm::MmResult VirtualMidiPort::getVolume(uint32_t* volume) {
    std::lock_guard lock(mutex);
    if (!volumeCapable || volumeReadFails) {
        return mm::MMSYSERR_NOTSUPPORTED;
    }
    *volume = currentVolume;
    return mm::MMSYSERR_NOERROR;
}

mm::MmResult VirtualMidiPort::setVolume(uint32_t volume) {
    std::lock_guard lock(mutex);
    if (!volumeCapable) {
        return mm::MMSYSERR_NOTSUPPORTED;
    }
    currentVolume = volume;
    volumeLog.push_back(volume);
    return mm::MMSYSERR_NOERROR;
}

std::vector<uint32_t> VirtualMidiPort::messages() const {
    std::lock_guard lock(mutex);
    return sent;
}

std::vector<uint32_t> VirtualMidiPort::volumes() const {
    std::lock_guard lock(mutex);
    return volumeLog;
}

uint32_t VirtualMidiPort::volume() const {
    std::lock_guard lock(mutex);
    return currentVolume;
}

bool VirtualMidiPort::isOpen() const {
    std::lock_guard lock(mutex);
    return open_;
}

int32_t VirtualMidiPort::opens() const {
    std::lock_guard lock(mutex);
    return openCount;
}

void VirtualMidiPort::failOpensWith(mm::MmResult result) {
    std::lock_guard lock(mutex);
    openResult = result;
}

bool VirtualMidiPort::lost() const {
    std::lock_guard lock(mutex);
    return open_ && gone;
}

void VirtualMidiPort::loseOutput() {
    std::lock_guard lock(mutex);
    gone = open_;
}

void VirtualMidiPort::failVolumeReads(bool fail) {
    std::lock_guard lock(mutex);
    volumeReadFails = fail;
}

}  // namespace platform
