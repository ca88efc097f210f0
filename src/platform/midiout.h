#pragma once
// The MIDI output functions over a list of devices: ids are positions in the list as it stands
// when asked, and the mapper ("MIDI Mapper") opens the device the list names for it.
//
// Threads: as MidiOutApi. Handles are checked, so a closed or unknown handle fails with
// MMSYSERR_INVALHANDLE instead of reaching a released device.

#include <memory>
#include <mutex>
#include <vector>

#include "platform/midiout_api.h"

namespace platform {

// An open device: what an HMIDIOUT points at.
struct MidiOutHandle {
    std::shared_ptr<MidiOutPort> port;
};

// Where the devices come from. GUI thread.
class MidiOutDevices {
  public:
    virtual ~MidiOutDevices() = default;
    // Every device, in id order.
    virtual std::vector<std::shared_ptr<MidiOutPort>> ports() = 0;
    // The device the mapper stands for; null when there is none.
    virtual std::shared_ptr<MidiOutPort> mapperPort() = 0;
};

// A fixed list, the first device standing for the mapper.
class FixedMidiOutDevices final : public MidiOutDevices {
  public:
    explicit FixedMidiOutDevices(std::vector<std::shared_ptr<MidiOutPort>> devices)
        : list(std::move(devices)) {}
    std::vector<std::shared_ptr<MidiOutPort>> ports() override { return list; }
    std::shared_ptr<MidiOutPort> mapperPort() override {
        return list.empty() ? nullptr : list.front();
    }

  private:
    std::vector<std::shared_ptr<MidiOutPort>> list;
};

class MidiOut final : public MidiOutApi {
  public:
    static constexpr const char* kMapperName = "MIDI Mapper";

    explicit MidiOut(MidiOutDevices& source) : devices(source) {}
    ~MidiOut() override;
    MidiOut(const MidiOut&) = delete;
    MidiOut& operator=(const MidiOut&) = delete;

    uint32_t getNumDevs() override;
    mm::MmResult getDevCaps(uint32_t deviceId, MidiOutCaps* caps) override;
    mm::MmResult open(HMIDIOUT* handle, uint32_t deviceId) override;
    mm::MmResult shortMsg(HMIDIOUT handle, uint32_t message) override;
    mm::MmResult getVolume(HMIDIOUT handle, uint32_t* volume) override;
    mm::MmResult setVolume(HMIDIOUT handle, uint32_t volume) override;
    mm::MmResult close(HMIDIOUT handle) override;
    bool deviceLost(HMIDIOUT handle) const override;
    std::string lastOpenError() const override;

  private:
    std::shared_ptr<MidiOutPort> portOf(uint32_t deviceId);
    MidiOutPort* openPort(HMIDIOUT handle) const;  // under `mutex`

    MidiOutDevices& devices;
    mutable std::mutex mutex;
    std::vector<std::unique_ptr<MidiOutHandle>> handles;
    std::string openFailure;  // under `mutex`
};

}  // namespace platform
