#include "platform/backends/system_midi_out.h"

#include "platform/backends/system_midi_devices.h"
#include "platform/midiout.h"

namespace platform {

namespace {

// The functions together with the devices they answer for, which must outlive them.
class SystemMidiOut final : public platform::MidiOutApi {
  public:
    explicit SystemMidiOut(const std::string& soundFont)
        : devices(platform::makeSystemMidiDevices(soundFont)), functions(*devices) {}

    uint32_t getNumDevs() override { return functions.getNumDevs(); }
    platform::mm::MmResult getDevCaps(uint32_t id, platform::MidiOutCaps* caps) override {
        return functions.getDevCaps(id, caps);
    }
    platform::mm::MmResult open(platform::HMIDIOUT* handle, uint32_t id) override {
        return functions.open(handle, id);
    }
    platform::mm::MmResult shortMsg(platform::HMIDIOUT handle, uint32_t message) override {
        return functions.shortMsg(handle, message);
    }
    platform::mm::MmResult getVolume(platform::HMIDIOUT handle, uint32_t* volume) override {
        return functions.getVolume(handle, volume);
    }
    platform::mm::MmResult setVolume(platform::HMIDIOUT handle, uint32_t volume) override {
        return functions.setVolume(handle, volume);
    }
    platform::mm::MmResult close(platform::HMIDIOUT handle) override {
        return functions.close(handle);
    }
    bool deviceLost(platform::HMIDIOUT handle) const override {
        return functions.deviceLost(handle);
    }
    std::string lastOpenError() const override { return functions.lastOpenError(); }

  private:
    std::unique_ptr<platform::SystemMidiDevices> devices;
    platform::MidiOut functions;
};

}  // namespace

std::unique_ptr<platform::MidiOutApi> makeSystemMidiOut(const std::string& soundFont) {
    return std::make_unique<SystemMidiOut>(soundFont);
}

}  // namespace platform
