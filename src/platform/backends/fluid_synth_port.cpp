#include "platform/backends/fluid_synth_port.h"

#include <fluidsynth.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace platform {

namespace {

// FluidSynth takes events at the start of each 64-frame block: rendering block by block keeps a
// message's delay under 1.5 ms at 44100 Hz.
constexpr int32_t kChunkFrames = 64;
// The loader's nice value. FluidSynth decodes samples on OpenMP threads that spin on every core;
// they inherit it, so the window comes up first on a busy machine.
constexpr int kLoaderNice = 10;

// The gain at full volume: one voice at a time, so louder than FluidSynth's default of 0.2.
constexpr float kFullGain = 0.5F;

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
    if (synth != nullptr) {
        delete_fluid_synth(synth);
    }
    if (settings != nullptr) {
        delete_fluid_settings(settings);
    }
}

void FluidSynthPort::load(const std::string& soundFont) {
    std::string path = soundFont;
    std::string why;
    fluid_settings_t* made = new_fluid_settings();
    fluid_synth_t* madeSynth = nullptr;
    if (made == nullptr) {
        why = "FluidSynth cannot make its settings";
    } else {
        fluid_settings_setnum(made, "synth.sample-rate", kRate);
        fluid_settings_setnum(made, "synth.gain", kFullGain);
        if (path.empty()) {
            char* fallback = nullptr;
            if (fluid_settings_dupstr(made, "synth.default-soundfont", &fallback) == FLUID_OK &&
                fallback != nullptr) {
                path = fallback;
            }
            fluid_free(fallback);
        }
        if (path.empty()) {
            why = "no SoundFont is named and FluidSynth knows no default one";
        } else if (fluid_is_soundfont(path.c_str()) == 0) {
            why = "'" + path + "' is not a SoundFont that can be read";
        } else if ((madeSynth = new_fluid_synth(made)) == nullptr) {
            why = "FluidSynth cannot make a synth";
        } else if (fluid_synth_sfload(madeSynth, path.c_str(), 1) == FLUID_FAILED) {
            why = "FluidSynth cannot load '" + path + "'";
            delete_fluid_synth(madeSynth);
            madeSynth = nullptr;
        }
    }
    std::lock_guard lock(loadMutex);
    settings = made;
    synth = madeSynth;
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
    MidiOutCaps caps;
    setProductName(caps, kProductName);
    caps.technology = mm::MOD_SWSYNTH;
    caps.voices = 256;
    caps.notes = 256;
    caps.support = mm::MIDICAPS_VOLUME;
    return caps;
}

mm::MmResult FluidSynthPort::open() {
    if (!soundFontLoaded()) {
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
    if (synth == nullptr) {
        return mm::MMSYSERR_NODRIVER;
    }
    const int status = static_cast<int>(message & 0xF0);
    const int channel = static_cast<int>(message & 0x0F);
    const int data1 = static_cast<int>((message >> 8) & 0x7F);
    const int data2 = static_cast<int>((message >> 16) & 0x7F);
    int result = FLUID_OK;
    switch (status) {
        case 0x80:
            result = fluid_synth_noteoff(synth, channel, data1);
            break;
        case 0x90:
            result = data2 == 0 ? fluid_synth_noteoff(synth, channel, data1)
                                : fluid_synth_noteon(synth, channel, data1, data2);
            break;
        case 0xA0:
            result = fluid_synth_key_pressure(synth, channel, data1, data2);
            break;
        case 0xB0:
            result = fluid_synth_cc(synth, channel, data1, data2);
            break;
        case 0xC0:
            result = fluid_synth_program_change(synth, channel, data1);
            break;
        case 0xD0:
            result = fluid_synth_channel_pressure(synth, channel, data1);
            break;
        case 0xE0:
            result = fluid_synth_pitch_bend(synth, channel, data1 | data2 << 7);
            break;
        default:
            return mm::MMSYSERR_INVALPARAM;
    }
    // A note off for a note that is not sounding is no error for a MIDI device.
    return result == FLUID_OK || status == 0x80 || status == 0x90 ? mm::MMSYSERR_NOERROR
                                                                  : mm::MMSYSERR_ERROR;
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
    auto* samples = reinterpret_cast<int16_t*>(out.data());
    const auto frames = static_cast<int32_t>(out.size() / 4);
    for (int32_t done = 0; done < frames; done += kChunkFrames) {
        const int32_t count = std::min(kChunkFrames, frames - done);
        int16_t* at = samples + 2 * done;
        fluid_synth_write_s16(synth, count, at, 0, 2, at, 1, 2);
    }
    const int32_t gain = outputGain.load(std::memory_order_relaxed);
    if (gain != 0xFFFF) {
        for (size_t i = 0; i < out.size() / 2; ++i) {
            samples[i] = static_cast<int16_t>(samples[i] * gain / 0xFFFF);
        }
    }
}

}  // namespace platform
