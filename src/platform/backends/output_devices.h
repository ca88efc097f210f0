#pragma once
// The output devices (sinks) the user's sound server offers, for the Options sheet to list.
// Asked through libpulse, which PulseAudio and PipeWire's PulseAudio layer both answer; where that
// cannot connect, through PipeWire's own registry. No server is ever started for this.
//
// Thread: GUI. Blocks for at most about a second, so that a server that accepts a connection and
// then says nothing cannot hang the sheet.

#include <string>
#include <vector>

namespace platform {

struct OutputDevice {
    std::string name;         // the server's own name, as the output is asked for it
    std::string description;  // in the user's words, as the desktop's sound settings show it
};

// The server's sinks in its own order; empty when no server answered in time.
std::vector<OutputDevice> listOutputDevices();

}  // namespace platform
