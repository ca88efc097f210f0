#pragma once
// MIDI output through the ALSA sequencer: Lirveto's own output port, which users connect to any
// synth or hardware with aconnect or a patchbay, and every writable port of the other clients,
// each named "client:port". Without a sequencer (no /dev/snd/seq) there are no ports, and nothing
// is said about it (see alsa_messages.h).
//
// Threads: as MidiOutPort. One lock guards the sequencer handle, which alsa-lib does not
// share between threads; it is held only for a single call, never for slow work. Output never
// blocks: a full queue drops the message.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/midiout_api.h"

struct _snd_seq;
struct snd_midi_event;

namespace platform {

class AlsaSequencer : public std::enable_shared_from_this<AlsaSequencer> {
  public:
    static constexpr const char* kClientName = "Lirveto";

    // Null when there is no sequencer or our port cannot be made.
    static std::shared_ptr<AlsaSequencer> open();
    ~AlsaSequencer();
    AlsaSequencer(const AlsaSequencer&) = delete;
    AlsaSequencer& operator=(const AlsaSequencer&) = delete;

    // Our own port; messages go to whatever is connected to it.
    std::shared_ptr<MidiOutPort> ownPort();
    // The writable ports of the other clients as they are now. A port keeps its object for as
    // long as it exists, so an open one stays open while the list changes.
    std::vector<std::shared_ptr<MidiOutPort>> writablePorts();

    // Sends one channel message from our port to `client:port`, or to our subscribers when
    // `client` is negative.
    mm::MmResult send(int client, int port, uint32_t message);

  private:
    AlsaSequencer(_snd_seq* handle, snd_midi_event* encoder, int ownPortNumber);

    std::mutex mutex;
    _snd_seq* seq;
    snd_midi_event* encoder;
    int ownPortNumber;
    std::shared_ptr<MidiOutPort> own;
    std::map<std::pair<int, int>, std::shared_ptr<MidiOutPort>> known;
};

}  // namespace platform
