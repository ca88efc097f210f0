#include "platform/midiout.h"

#include <algorithm>
#include <cstring>

#include "platform/utf8_text.h"

namespace platform {

void setProductName(MidiOutCaps& caps, const char* name) {
    const std::string_view kept = text::utf8Prefix(name, sizeof caps.productName - 1);
    std::memcpy(caps.productName, kept.data(), kept.size());
    caps.productName[kept.size()] = '\0';
}

MidiOut::~MidiOut() {
    for (const auto& handle : handles) {
        handle->port->close();
    }
}

uint32_t MidiOut::getNumDevs() {
    return static_cast<uint32_t>(devices.ports().size());
}

std::shared_ptr<MidiOutPort> MidiOut::portOf(uint32_t deviceId) {
    if (deviceId == mm::MIDI_MAPPER) {
        return devices.mapperPort();
    }
    auto list = devices.ports();
    return deviceId < list.size() ? list[deviceId] : nullptr;
}

mm::MmResult MidiOut::getDevCaps(uint32_t deviceId, MidiOutCaps* caps) {
    if (caps == nullptr) {
        return mm::MMSYSERR_INVALPARAM;
    }
    const auto port = portOf(deviceId);
    if (port == nullptr) {
        return deviceId == mm::MIDI_MAPPER ? mm::MIDIERR_NODEVICE : mm::MMSYSERR_BADDEVICEID;
    }
    *caps = port->caps();
    if (deviceId == mm::MIDI_MAPPER) {
        setProductName(*caps, kMapperName);
        caps->technology = mm::MOD_MAPPER;
    }
    return mm::MMSYSERR_NOERROR;
}

mm::MmResult MidiOut::open(HMIDIOUT* handle, uint32_t deviceId) {
    if (handle == nullptr) {
        return mm::MMSYSERR_INVALPARAM;
    }
    *handle = nullptr;
    auto port = portOf(deviceId);
    if (port == nullptr) {
        return deviceId == mm::MIDI_MAPPER ? mm::MIDIERR_NODEVICE : mm::MMSYSERR_BADDEVICEID;
    }
    std::lock_guard lock(mutex);
    const bool alreadyOpen = std::any_of(handles.begin(), handles.end(),
                                         [&port](const auto& open) { return open->port == port; });
    if (alreadyOpen) {
        return mm::MMSYSERR_ALLOCATED;
    }
    const mm::MmResult result = port->open();
    if (result != mm::MMSYSERR_NOERROR) {
        openFailure = port->openError();
        return result;
    }
    openFailure.clear();
    handles.push_back(std::make_unique<MidiOutHandle>(MidiOutHandle{std::move(port)}));
    *handle = handles.back().get();
    return mm::MMSYSERR_NOERROR;
}

std::string MidiOut::lastOpenError() const {
    std::lock_guard lock(mutex);
    return openFailure;
}

MidiOutPort* MidiOut::openPort(HMIDIOUT handle) const {
    const auto found = std::find_if(handles.begin(), handles.end(),
                                    [handle](const auto& open) { return open.get() == handle; });
    return found == handles.end() ? nullptr : (*found)->port.get();
}

mm::MmResult MidiOut::shortMsg(HMIDIOUT handle, uint32_t message) {
    std::lock_guard lock(mutex);
    MidiOutPort* port = openPort(handle);
    return port == nullptr ? mm::MMSYSERR_INVALHANDLE : port->shortMessage(message);
}

mm::MmResult MidiOut::getVolume(HMIDIOUT handle, uint32_t* volume) {
    if (volume == nullptr) {
        return mm::MMSYSERR_INVALPARAM;
    }
    std::lock_guard lock(mutex);
    MidiOutPort* port = openPort(handle);
    return port == nullptr ? mm::MMSYSERR_INVALHANDLE : port->getVolume(volume);
}

bool MidiOut::deviceLost(HMIDIOUT handle) const {
    std::lock_guard lock(mutex);
    const MidiOutPort* port = openPort(handle);
    return port != nullptr && port->lost();
}

mm::MmResult MidiOut::setVolume(HMIDIOUT handle, uint32_t volume) {
    std::lock_guard lock(mutex);
    MidiOutPort* port = openPort(handle);
    return port == nullptr ? mm::MMSYSERR_INVALHANDLE : port->setVolume(volume);
}

mm::MmResult MidiOut::close(HMIDIOUT handle) {
    std::unique_ptr<MidiOutHandle> closing;
    {
        std::lock_guard lock(mutex);
        const auto found = std::find_if(handles.begin(), handles.end(), [handle](const auto& open) {
            return open.get() == handle;
        });
        if (found == handles.end()) {
            return mm::MMSYSERR_INVALHANDLE;
        }
        closing = std::move(*found);
        handles.erase(found);
    }
    closing->port->close();
    return mm::MMSYSERR_NOERROR;
}

}  // namespace platform
