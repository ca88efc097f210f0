#include "platform/backends/offline_synth_port.h"

#include <fluidsynth.h>

#include "platform/backends/fluid_synth_port.h"

namespace platform {

OfflineSynthPort::OfflineSynthPort(const std::string& soundFont, int32_t rate)
    : gmSynth(makeGmSynth(soundFont, rate, error)) {}

MidiOutCaps OfflineSynthPort::caps() const {
    return builtInSynthCaps();
}

mm::MmResult OfflineSynthPort::open() {
    if (!gmSynth) {
        return mm::MMSYSERR_NODRIVER;
    }
    fluid_synth_system_reset(gmSynth.synth());
    return mm::MMSYSERR_NOERROR;
}

void OfflineSynthPort::close() {
    if (gmSynth) {
        // Notes end with their release, as the live device's do when it stops.
        fluid_synth_all_notes_off(gmSynth.synth(), -1);
    }
}

mm::MmResult OfflineSynthPort::shortMessage(uint32_t message) {
    return playShortMessage(gmSynth.synth(), message);
}

mm::MmResult OfflineSynthPort::getVolume(uint32_t* current) {
    *current = volume;
    return mm::MMSYSERR_NOERROR;
}

mm::MmResult OfflineSynthPort::setVolume(uint32_t wanted) {
    volume = wanted;
    return mm::MMSYSERR_NOERROR;
}

void OfflineSynthPort::render(std::span<int16_t> samples) noexcept {
    // The left word as the gain of both sides, as the live device applies it.
    renderChunks(gmSynth.synth(), samples.data(), static_cast<int32_t>(samples.size() / 2),
                 static_cast<int32_t>(volume & 0xFFFF));
}

void OfflineSynthPort::render(std::span<float> samples) noexcept {
    renderFloatChunks(gmSynth.synth(), samples.data(), static_cast<int32_t>(samples.size() / 2),
                      static_cast<int32_t>(volume & 0xFFFF));
}

}  // namespace platform
