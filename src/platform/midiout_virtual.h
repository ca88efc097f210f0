#pragma once
// A MIDI output device that plays nothing and keeps every message it is sent with the volume in
// force: lirveto-render records through it, and tests read what the engine played.
//
// Threads: as MidiOutPort; the log is guarded, so tests may read it while a timer sends.

#include <mutex>
#include <string>
#include <vector>

#include "platform/midiout_api.h"

namespace platform {

class VirtualMidiPort final : public MidiOutPort {
  public:
    explicit VirtualMidiPort(std::string name = "Virtual MIDI", bool volumeCapable = true);

    MidiOutCaps caps() const override;
    mm::MmResult open() override;
    void close() override;
    mm::MmResult shortMessage(uint32_t message) override;
    mm::MmResult getVolume(uint32_t* volume) override;
    mm::MmResult setVolume(uint32_t volume) override;
    bool lost() const override;

    // What was sent since open (kept after close until the next open).
    std::vector<uint32_t> messages() const;
    std::vector<uint32_t> volumes() const;  // every setVolume, in order
    uint32_t volume() const;
    bool isOpen() const;
    int32_t opens() const;
    // The next open fails with this (MMSYSERR_NOERROR: opens work).
    void failOpensWith(mm::MmResult result);
    void failVolumeReads(bool fail);
    // Takes the output away under the open port, as a synth whose sound device was unplugged;
    // the next open brings it back.
    void loseOutput();

  private:
    mutable std::mutex mutex;
    std::string name;
    bool volumeCapable;
    bool open_ = false;
    int32_t openCount = 0;
    mm::MmResult openResult = mm::MMSYSERR_NOERROR;
    bool volumeReadFails = false;
    bool gone = false;
    uint32_t currentVolume = 0xFFFFFFFF;
    std::vector<uint32_t> sent;
    std::vector<uint32_t> volumeLog;
};

}  // namespace platform
