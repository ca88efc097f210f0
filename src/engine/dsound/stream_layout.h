#pragma once
// The sizes a play streams with, fixed at its start from the output format: a one-second buffer,
// a block of 22 frames and a lead of 441 frames whatever the rate (so 1 ms and 20 ms at
// 22050 Hz, 0.5 ms and 10 ms at 44100 Hz).

#include <cstdint>

#include "engine/tone/render_buffer.h"

namespace engine {

struct StreamLayout {
    static constexpr uint32_t kBlockFrames = 22;  // frames of one 1 ms step at 22050 Hz
    static constexpr uint32_t kLeadFrames = 441;

    engine::OutputFormat format;
    uint32_t bufferSize = 0;  // bytes: one second
    uint32_t blockBytes = 0;
    uint32_t leadTarget = 0;  // bytes kept written ahead of the write cursor
};

inline StreamLayout streamLayoutFor(engine::OutputFormat format) {
    const auto frameBytes = static_cast<uint32_t>(format.frameBytes());
    return StreamLayout{format, static_cast<uint32_t>(format.bytesPerSecond()),
                        StreamLayout::kBlockFrames * frameBytes,
                        StreamLayout::kLeadFrames * frameBytes};
}

}  // namespace engine
