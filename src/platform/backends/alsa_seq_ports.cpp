#include "platform/backends/alsa_seq_ports.h"

#include <alsa/asoundlib.h>

#include "platform/backends/alsa_messages.h"

namespace platform {

namespace {

class AlsaSeqPort final : public MidiOutPort {
  public:
    AlsaSeqPort(std::weak_ptr<AlsaSequencer> owner, int toClient, int toPort,
                std::string productName)
        : sequencer(std::move(owner)),
          client(toClient),
          port(toPort),
          name(std::move(productName)) {}

    MidiOutCaps caps() const override {
        MidiOutCaps caps;
        setProductName(caps, name.c_str());
        caps.technology = mm::MOD_MIDIPORT;
        return caps;
    }
    mm::MmResult open() override { return mm::MMSYSERR_NOERROR; }
    void close() override {}
    mm::MmResult shortMessage(uint32_t message) override {
        const auto owner = sequencer.lock();
        return owner == nullptr ? mm::MMSYSERR_NODRIVER : owner->send(client, port, message);
    }

  private:
    std::weak_ptr<AlsaSequencer> sequencer;
    int client;  // negative: our own port's subscribers
    int port;
    std::string name;
};

int messageLength(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
}

}  // namespace

std::shared_ptr<AlsaSequencer> AlsaSequencer::open() {
    routeAlsaMessages();
    snd_seq_t* handle = nullptr;
    if (snd_seq_open(&handle, "default", SND_SEQ_OPEN_OUTPUT, SND_SEQ_NONBLOCK) < 0) {
        return nullptr;
    }
    snd_seq_set_client_name(handle, kClientName);
    const int own = snd_seq_create_simple_port(
        handle, kClientName, SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
        SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    snd_midi_event_t* encoder = nullptr;
    if (own < 0 || snd_midi_event_new(8, &encoder) < 0) {
        snd_seq_close(handle);
        return nullptr;
    }
    // Each message is whole: running status is neither read nor made.
    snd_midi_event_no_status(encoder, 1);
    return std::shared_ptr<AlsaSequencer>(new AlsaSequencer(handle, encoder, own));
}

AlsaSequencer::AlsaSequencer(snd_seq_t* handle, snd_midi_event_t* midiEncoder, int ownPort)
    : seq(handle), encoder(midiEncoder), ownPortNumber(ownPort) {}

AlsaSequencer::~AlsaSequencer() {
    snd_midi_event_free(encoder);
    snd_seq_close(seq);
}

std::shared_ptr<MidiOutPort> AlsaSequencer::ownPort() {
    std::lock_guard lock(mutex);
    if (own == nullptr) {
        own = std::make_shared<AlsaSeqPort>(weak_from_this(), -1, ownPortNumber, kClientName);
    }
    return own;
}

std::vector<std::shared_ptr<MidiOutPort>> AlsaSequencer::writablePorts() {
    std::lock_guard lock(mutex);
    const int self = snd_seq_client_id(seq);
    snd_seq_client_info_t* clientInfo = nullptr;
    snd_seq_port_info_t* portInfo = nullptr;
    snd_seq_client_info_alloca(&clientInfo);
    snd_seq_port_info_alloca(&portInfo);

    std::vector<std::shared_ptr<MidiOutPort>> ports;
    std::map<std::pair<int, int>, std::shared_ptr<MidiOutPort>> present;
    constexpr unsigned wanted = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
    snd_seq_client_info_set_client(clientInfo, -1);
    while (snd_seq_query_next_client(seq, clientInfo) >= 0) {
        const int client = snd_seq_client_info_get_client(clientInfo);
        if (client == self || client == SND_SEQ_CLIENT_SYSTEM) {
            continue;
        }
        snd_seq_port_info_set_client(portInfo, client);
        snd_seq_port_info_set_port(portInfo, -1);
        while (snd_seq_query_next_port(seq, portInfo) >= 0) {
            const unsigned caps = snd_seq_port_info_get_capability(portInfo);
            if ((caps & wanted) != wanted || (caps & SND_SEQ_PORT_CAP_NO_EXPORT) != 0) {
                continue;
            }
            const std::pair address{client, snd_seq_port_info_get_port(portInfo)};
            auto found = known.find(address);
            auto port = found != known.end()
                            ? found->second
                            : std::make_shared<AlsaSeqPort>(
                                  weak_from_this(), address.first, address.second,
                                  std::string(snd_seq_client_info_get_name(clientInfo)) + ":" +
                                      snd_seq_port_info_get_name(portInfo));
            present.emplace(address, port);
            ports.push_back(std::move(port));
        }
    }
    known = std::move(present);
    return ports;
}

mm::MmResult AlsaSequencer::send(int client, int port, uint32_t message) {
    uint8_t bytes[3] = {static_cast<uint8_t>(message), static_cast<uint8_t>(message >> 8),
                        static_cast<uint8_t>(message >> 16)};
    if ((bytes[0] & 0x80) == 0 || bytes[0] >= 0xF0) {
        return mm::MMSYSERR_INVALPARAM;
    }
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    std::lock_guard lock(mutex);
    snd_midi_event_reset_encode(encoder);
    const long used = snd_midi_event_encode(encoder, bytes, messageLength(bytes[0]), &event);
    if (used <= 0 || event.type == SND_SEQ_EVENT_NONE) {
        return mm::MMSYSERR_INVALPARAM;
    }
    snd_seq_ev_set_source(&event, ownPortNumber);
    if (client < 0) {
        snd_seq_ev_set_subs(&event);
    } else {
        snd_seq_ev_set_dest(&event, client, port);
    }
    snd_seq_ev_set_direct(&event);
    return snd_seq_event_output_direct(seq, &event) >= 0 ? mm::MMSYSERR_NOERROR
                                                         : mm::MMSYSERR_ERROR;
}

}  // namespace platform
