#pragma once
// Where every page's sound goes, as the user chose it: the output device by the sound server's
// name for it (empty: the system's default) and the server's latency in ms (0: Auto, the route
// chooses and raises it when dropouts come). The program sets it from its settings; the system
// audio device reads it at each open, so a new choice is heard from the next Play on.
//
// Thread: any (a copy is taken under a lock; never from an audio callback).

#include <cstdint>
#include <string>

namespace platform {

struct OutputChoice {
    std::string device;
    int32_t latencyMs = 0;
};

void setOutputChoice(const OutputChoice& choice);
OutputChoice outputChoice();

}  // namespace platform
