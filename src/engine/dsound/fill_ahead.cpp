#include "engine/dsound/fill_ahead.h"

#include "engine/tone/tone_frame.h"

namespace engine {

namespace {

// Fills whole frames of one region and returns the phase after them. The phase and its
// increment carry 16 bits of fraction below the table's 16-bit phase.
uint32_t fillRegion(uint8_t* region, uint32_t length, const StreamLayout& layout,
                    const engine::WaveTable& table, uint32_t phase, uint32_t increment,
                    int32_t amplitude) {
    const auto frameBytes = static_cast<uint32_t>(layout.format.frameBytes());
    for (uint32_t offset = 0; offset + frameBytes <= length; offset += frameBytes) {
        writeFrame(region + offset, table, layout.format, static_cast<uint16_t>(phase >> 16),
                   amplitude);
        phase += increment;
    }
    return phase;
}

// The write position as a whole frame inside this buffer: one kept from a play in another
// format may lie past its end or between two of its frames.
uint32_t positionInBuffer(uint32_t position, const StreamLayout& layout) {
    position %= layout.bufferSize;
    return position - position % static_cast<uint32_t>(layout.format.frameBytes());
}

}  // namespace

bool fillAhead(platform::IDirectSoundBuffer& buffer, const StreamLayout& layout,
               const engine::WaveTable& table, int32_t frequency, int32_t amplitude,
               StreamState& state, FillAheadSink& sink) {
    if (rendersHeardPitch(layout.format)) {
        return fillAheadByStep(buffer, layout, table, heardPhaseIncrement(frequency, layout.format),
                               amplitude, state, sink);
    }
    // Only the low 16 bits of the designed increment take part, as in a 16-bit phase.
    const auto increment = static_cast<uint32_t>(phaseIncrement(frequency, layout.format.rate()));
    return fillAheadByStep(buffer, layout, table, increment << 16, amplitude, state, sink);
}

bool fillAheadByStep(platform::IDirectSoundBuffer& buffer, const StreamLayout& layout,
                     const engine::WaveTable& table, uint32_t fineIncrement, int32_t amplitude,
                     StreamState& state, FillAheadSink& sink) {
    uint32_t writeCursor = 0;
    buffer.getCurrentPosition(nullptr, &writeCursor);
    uint32_t position =
        positionInBuffer(state.writePosition.load(std::memory_order_relaxed), layout);
    uint32_t lead = (layout.bufferSize - writeCursor + position) % layout.bufferSize;
    if (lead > layout.leadTarget + layout.blockBytes) {
        if (state.flowing.load(std::memory_order_relaxed)) {
            sink.fellBehind();
        }
        position = writeCursor;
        lead = 0;
    }
    if (lead >= layout.leadTarget) {
        state.writePosition.store(position, std::memory_order_relaxed);
        return true;
    }

    bool succeeded = true;
    void* first = nullptr;
    void* second = nullptr;
    uint32_t firstLength = 0;
    uint32_t secondLength = 0;
    if (buffer.lock(position, layout.blockBytes + layout.leadTarget - lead, &first, &firstLength,
                    &second, &secondLength, 0) != platform::ds::DS_OK) {
        sink.lockFailed();
        succeeded = false;
        first = second = nullptr;
        firstLength = secondLength = 0;
    }

    uint32_t phase = uint32_t{state.streamPhase.load(std::memory_order_relaxed)} << 16 |
                     state.phaseFraction.load(std::memory_order_relaxed);
    phase = fillRegion(static_cast<uint8_t*>(first), firstLength, layout, table, phase,
                       fineIncrement, amplitude);
    phase = fillRegion(static_cast<uint8_t*>(second), secondLength, layout, table, phase,
                       fineIncrement, amplitude);
    state.streamPhase.store(static_cast<uint16_t>(phase >> 16), std::memory_order_relaxed);
    state.phaseFraction.store(static_cast<uint16_t>(phase & 0xFFFF), std::memory_order_relaxed);

    if (firstLength + secondLength != 0) {
        state.flowing.store(true, std::memory_order_relaxed);
        sink.written({static_cast<const uint8_t*>(first), firstLength},
                     {static_cast<const uint8_t*>(second), secondLength});
    }
    if (buffer.unlock(first, firstLength, second, secondLength) != platform::ds::DS_OK) {
        sink.unlockFailed();
        succeeded = false;
    }
    state.writePosition.store((position + firstLength + secondLength) % layout.bufferSize,
                              std::memory_order_relaxed);
    return succeeded;
}

}  // namespace engine
