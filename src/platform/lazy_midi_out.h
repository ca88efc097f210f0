#pragma once
// A MIDI output made at its first use. The built-in synth loads a SoundFont of several megabytes
// as soon as the devices are made, and the device list asks the sequencer: none of it is wanted
// by a user who never opens the Midi page, so the page holds this instead of the output itself.
//
// Threads: prepare and the first call of any MidiOutApi function on the GUI thread; from then on
// as MidiOutApi (the output exists before a handle can be open for the timer thread to use).

#include <functional>
#include <memory>

#include "platform/midiout_api.h"

namespace platform {

class LazyMidiOut final : public MidiOutApi {
  public:
    using Maker = std::function<std::unique_ptr<MidiOutApi>()>;

    // `make` may return null (or be empty): the output then has no devices.
    explicit LazyMidiOut(Maker make) : maker(std::move(make)) {}

    // Makes the output now, unless it is made already: its SoundFont starts loading in the
    // background. GUI thread.
    void prepare() { output(); }
    bool isMade() const { return made != nullptr; }

    uint32_t getNumDevs() override { return output().getNumDevs(); }
    mm::MmResult getDevCaps(uint32_t deviceId, MidiOutCaps* caps) override {
        return output().getDevCaps(deviceId, caps);
    }
    mm::MmResult open(HMIDIOUT* handle, uint32_t deviceId) override {
        return output().open(handle, deviceId);
    }
    mm::MmResult shortMsg(HMIDIOUT handle, uint32_t message) override {
        return output().shortMsg(handle, message);
    }
    mm::MmResult getVolume(HMIDIOUT handle, uint32_t* volume) override {
        return output().getVolume(handle, volume);
    }
    mm::MmResult setVolume(HMIDIOUT handle, uint32_t volume) override {
        return output().setVolume(handle, volume);
    }
    mm::MmResult close(HMIDIOUT handle) override { return output().close(handle); }
    bool deviceLost(HMIDIOUT handle) const override {
        return made != nullptr && made->deviceLost(handle);
    }
    std::string lastOpenError() const override {
        return made != nullptr ? made->lastOpenError() : std::string();
    }

  private:
    MidiOutApi& output();

    Maker maker;
    std::unique_ptr<MidiOutApi> made;
};

}  // namespace platform
