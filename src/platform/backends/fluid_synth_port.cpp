#include "platform/backends/fluid_synth_port.h"

#include <fluidsynth.h>
#include <sys/resource.h>
#include <unistd.h>

namespace platform {

namespace {

// The loader's nice value. FluidSynth decodes samples on OpenMP threads that spin on every core;
// they inherit it, so the window comes up first on a busy machine.
constexpr int kLoaderNice = 10;

}  // namespace

FluidSynthPort::FluidSynthPort(std::string soundFont, AudioDeviceFactory factory)
    : makeDevice(std::move(factory)) {
    loader = std::thread([this, path = std::move(soundFont)] {
        // Per thread on Linux; a refusal only costs the GUI some time.
        (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kLoaderNice);
        load(path);
    });
}

FluidSynthPort::~FluidSynthPort() {
    if (loader.joinable()) {
        loader.join();
    }
    close();
}

void FluidSynthPort::load(const std::string& soundFont) {
    std::string why;
    GmSynth made = makeGmSynth(soundFont, kRate, why);
    std::lock_guard lock(loadMutex);
    gmSynth = std::move(made);
    synth = gmSynth.synth();
    loaded = synth != nullptr;
    error = why;
    loading = false;
    loadEnded.notify_all();
}

bool FluidSynthPort::soundFontLoaded() {
    std::unique_lock lock(loadMutex);
    loadEnded.wait(lock, [this] { return !loading; });
    return loaded;
}

std::string FluidSynthPort::loadError() {
    std::unique_lock lock(loadMutex);
    loadEnded.wait(lock, [this] { return !loading; });
    return error;
}

MidiOutCaps FluidSynthPort::caps() const {
    return builtInSynthCaps();
}

mm::MmResult FluidSynthPort::open() {
    if (!soundFontLoaded()) {
        lastDeviceError = loadError();
        return mm::MMSYSERR_NODRIVER;
    }
    if (device != nullptr) {
        return mm::MMSYSERR_ALLOCATED;
    }
    fluid_synth_system_reset(synth);
    auto made = makeDevice();
    AudioFormat format;
    format.rate = kRate;
    format.channels = 2;
    format.bits = 16;
    format.periodFrames = kPeriodFrames;
    if (made == nullptr || !made->open(format, *this)) {
        lastDeviceError = made != nullptr ? made->lastError() : "no audio output";
        return mm::MMSYSERR_NODRIVER;
    }
    made->start();
    device = std::move(made);
    return mm::MMSYSERR_NOERROR;
}

void FluidSynthPort::close() {
    if (device == nullptr) {
        return;
    }
    device->stop();
    device->close();
    device.reset();
    fluid_synth_all_sounds_off(synth, -1);
}

mm::MmResult FluidSynthPort::shortMessage(uint32_t message) {
    return playShortMessage(synth, message);
}

mm::MmResult FluidSynthPort::getVolume(uint32_t* current) {
    *current = volume;
    return mm::MMSYSERR_NOERROR;
}

mm::MmResult FluidSynthPort::setVolume(uint32_t wanted) {
    volume = wanted;
    // One gain for both sides: the left word, as a device without separate sides takes it. It is
    // applied to what leaves the synth, not as the synth's own gain: FluidSynth ends every voice
    // whose gain reaches 0, and a note must come back when the volume does.
    outputGain.store(static_cast<int32_t>(wanted & 0xFFFF), std::memory_order_relaxed);
    return mm::MMSYSERR_NOERROR;
}

void FluidSynthPort::fill(std::span<uint8_t> out) noexcept {
    renderChunks(synth, reinterpret_cast<int16_t*>(out.data()),
                 static_cast<int32_t>(out.size() / 4), outputGain.load(std::memory_order_relaxed));
}

}  // namespace platform
