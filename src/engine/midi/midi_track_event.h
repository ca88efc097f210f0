#pragma once
// One channel message as the event track of a MIDI recording holds it: the delta time as a
// variable-length quantity, the full status byte, then one or two data bytes. Running status is
// never used.

#include <array>
#include <cstdint>

namespace engine {

// The longest delta a variable-length quantity of four bytes holds.
constexpr uint32_t kLongestDelta = 0x0FFFFFFF;

struct TrackEvent {
    std::array<uint8_t, 7> bytes{};
    int32_t length = 0;
};

// Two bytes for a program change (C0), channel pressure (D0) or a status of F0 and above;
// three for the others.
int32_t messageLength(uint8_t status);

// `status` with its channel already added; a delta above kLongestDelta is written as that.
TrackEvent trackEvent(uint32_t delta, uint8_t status, uint8_t data1, uint8_t data2);

}  // namespace engine
