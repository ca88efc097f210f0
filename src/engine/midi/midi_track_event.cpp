#include "engine/midi/midi_track_event.h"

#include <algorithm>

namespace engine {

int32_t messageLength(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 || status >= 0xF0 ? 2 : 3;
}

TrackEvent trackEvent(uint32_t delta, uint8_t status, uint8_t data1, uint8_t data2) {
    TrackEvent event;
    const uint32_t value = std::min(delta, kLongestDelta);
    int32_t groups = 1;
    while (groups < 4 && (value >> (7 * groups)) != 0) {
        ++groups;
    }
    for (int32_t group = groups - 1; group >= 0; --group) {
        const auto bits = static_cast<uint8_t>((value >> (7 * group)) & 0x7F);
        event.bytes[static_cast<size_t>(event.length++)] = group > 0 ? (bits | 0x80) : bits;
    }
    const uint8_t message[3] = {status, data1, data2};
    for (int32_t i = 0; i < messageLength(status); ++i) {
        event.bytes[static_cast<size_t>(event.length++)] = message[i];
    }
    return event;
}

}  // namespace engine
