#include "engine/dsound/stream_state.h"

namespace engine {

void StreamState::resetToProgramStart() {
    stepBusy.store(0);
    lastFrequency.store(0);
    writePosition.store(0);
    streamPhase.store(0);
    phaseFraction.store(0);
    flowing.store(false);
}

StreamState& streamState() {
    static StreamState state;
    return state;
}

}  // namespace engine
