#include "platform/waveout/virtual_audio_device.h"

#include <algorithm>

namespace platform {

bool VirtualAudioDevice::open(const AudioFormat& wanted, AudioSource& from) {
    if (!refusal.empty()) {
        error = refusal;
        return false;
    }
    if (wanted.rate <= 0 || wanted.periodFrames <= 0 ||
        (wanted.channels != 1 && wanted.channels != 2) ||
        (wanted.bits != 8 && wanted.bits != 16 && wanted.bits != 24)) {
        error = "unsupported audio format";
        return false;
    }
    current = wanted;
    if (chosenPeriod > 0) {
        current.periodFrames = chosenPeriod;
    }
    source = &from;
    isOpen = true;
    gone = false;
    started = false;
    clock = 0;
    pulled = 0;
    period.assign(static_cast<std::size_t>(current.periodFrames) *
                      static_cast<std::size_t>(current.frameBytes()),
                  0);
    kept.clear();
    error.clear();
    return true;
}

void VirtualAudioDevice::close() {
    isOpen = false;
    started = false;
    source = nullptr;
}

void VirtualAudioDevice::advanceFrames(uint64_t frames) {
    if (!isOpen) {
        return;
    }
    const auto frameBytes = static_cast<std::size_t>(current.frameBytes());
    while (frames > 0) {
        const uint64_t piece =
            std::min<uint64_t>(frames, static_cast<uint64_t>(current.periodFrames));
        clock += piece;
        frames -= piece;
        if (!started || gone) {
            continue;
        }
        const std::span<uint8_t> out(period.data(), static_cast<std::size_t>(piece) * frameBytes);
        source->fill(out);
        pulled += piece;
        if (keeping) {
            kept.insert(kept.end(), out.begin(), out.end());
        }
    }
}

void VirtualAudioDevice::advanceToMs(uint64_t ms) {
    const uint64_t target = ms * static_cast<uint64_t>(current.rate) / 1000;
    if (target > clock) {
        advanceFrames(target - clock);
    }
}

}  // namespace platform
