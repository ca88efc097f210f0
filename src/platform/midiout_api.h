#pragma once
// The MIDI output functions the Midi page plays through, with records, flags and result codes
// numbered as the multimedia library numbers them, and the device interface behind them.
//
// Threads: getNumDevs, getDevCaps, open and close belong to the GUI thread; shortMsg, getVolume
// and setVolume may also come from the timer thread while the handle is open.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/mm_result.h"

namespace platform {

namespace mm {
constexpr MmResult MIDIERR_NODEVICE = 68;

constexpr uint32_t MIDI_MAPPER = 0xFFFFFFFF;

// MidiOutCaps::support.
constexpr uint32_t MIDICAPS_VOLUME = 0x0001;

// MidiOutCaps::technology.
constexpr uint16_t MOD_MIDIPORT = 1;
constexpr uint16_t MOD_MAPPER = 5;
constexpr uint16_t MOD_SWSYNTH = 7;
}  // namespace mm

// Room for a sequencer port's "client:port" name, which is often longer than 31 characters.
constexpr std::size_t kMidiProductNameSize = 96;

struct MidiOutCaps {
    uint16_t manufacturerId = 0;
    uint16_t productId = 0;
    uint32_t driverVersion = 0;
    char productName[kMidiProductNameSize] = {};  // NUL-terminated, cut to fit
    uint16_t technology = 0;                      // mm::MOD_*
    uint16_t voices = 0;
    uint16_t notes = 0;
    uint16_t channelMask = 0xFFFF;
    uint32_t support = 0;  // mm::MIDICAPS_*
};

// Copies `name` into caps.productName, cut to fit on a character boundary.
void setProductName(MidiOutCaps& caps, const char* name);

struct MidiOutHandle;
using HMIDIOUT = MidiOutHandle*;

class MidiOutApi {
  public:
    virtual ~MidiOutApi() = default;

    virtual uint32_t getNumDevs() = 0;
    // Capabilities of device 0 .. getNumDevs() - 1, or of mm::MIDI_MAPPER.
    virtual mm::MmResult getDevCaps(uint32_t deviceId, MidiOutCaps* caps) = 0;
    virtual mm::MmResult open(HMIDIOUT* handle, uint32_t deviceId) = 0;
    // One channel message: status in the low byte, then data 1, data 2.
    virtual mm::MmResult shortMsg(HMIDIOUT handle, uint32_t message) = 0;
    // Volume: low word left, high word right, 0xFFFF full.
    virtual mm::MmResult getVolume(HMIDIOUT handle, uint32_t* volume) = 0;
    virtual mm::MmResult setVolume(HMIDIOUT handle, uint32_t volume) = 0;
    virtual mm::MmResult close(HMIDIOUT handle) = 0;
    // Whether the output behind an open handle went away (the synth's sound device unplugged or
    // its sound server gone): nothing sent is heard any more, and only closing it helps.
    virtual bool deviceLost(HMIDIOUT handle) const = 0;
    // Why the last open failed, in the device's own words; empty when it gave none.
    virtual std::string lastOpenError() const { return {}; }
};

// One output device. Threads: as MidiOutApi; caps from any thread.
class MidiOutPort {
  public:
    virtual ~MidiOutPort() = default;
    virtual MidiOutCaps caps() const = 0;
    virtual mm::MmResult open() = 0;
    virtual void close() = 0;
    virtual mm::MmResult shortMessage(uint32_t message) = 0;
    virtual mm::MmResult getVolume(uint32_t* /*volume*/) { return mm::MMSYSERR_NOTSUPPORTED; }
    virtual mm::MmResult setVolume(uint32_t /*volume*/) { return mm::MMSYSERR_NOTSUPPORTED; }
    // A port that renders through an audio device of its own may lose it; a sequencer port
    // takes its messages whether anyone listens or not.
    virtual bool lost() const { return false; }
    // Why the last open failed, in the device's own words; empty when it gave none.
    virtual std::string openError() const { return {}; }
};

}  // namespace platform
