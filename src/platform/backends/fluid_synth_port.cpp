#include "platform/backends/fluid_synth_port.h"

#include <fluidsynth.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

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

// SoundFont files are opened close-on-exec: a program started while the SoundFont loads (a
// browser, a mixer) must not inherit them.
void* openSoundFont(const char* path) {
    return std::fopen(path, "rbe");
}
int readSoundFont(void* buffer, fluid_long_long_t count, void* file) {
    return count >= 0 &&
                   std::fread(buffer, 1, static_cast<std::size_t>(count),
                              static_cast<std::FILE*>(file)) == static_cast<std::size_t>(count)
               ? FLUID_OK
               : FLUID_FAILED;
}
int seekSoundFont(void* file, fluid_long_long_t offset, int origin) {
    return fseeko(static_cast<std::FILE*>(file), static_cast<off_t>(offset), origin) == 0
               ? FLUID_OK
               : FLUID_FAILED;
}
fluid_long_long_t tellSoundFont(void* file) {
    return ftello(static_cast<std::FILE*>(file));
}
int closeSoundFont(void* file) {
    return std::fclose(static_cast<std::FILE*>(file)) == 0 ? FLUID_OK : FLUID_FAILED;
}

// A RIFF file of form "sfbk": what FluidSynth's own check looks at, read close-on-exec.
bool isSoundFont(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rbe");
    if (file == nullptr) {
        return false;
    }
    std::array<char, 12> header{};
    const bool whole = std::fread(header.data(), 1, header.size(), file) == header.size();
    std::fclose(file);
    return whole && std::memcmp(header.data(), "RIFF", 4) == 0 &&
           std::memcmp(header.data() + 8, "sfbk", 4) == 0;
}

bool useCloseOnExecLoader(fluid_synth_t* synth, fluid_settings_t* settings) {
    fluid_sfloader_t* loader = new_fluid_defsfloader(settings);
    if (loader == nullptr ||
        fluid_sfloader_set_callbacks(loader, openSoundFont, readSoundFont, seekSoundFont,
                                     tellSoundFont, closeSoundFont) != FLUID_OK) {
        if (loader != nullptr) {
            delete_fluid_sfloader(loader);
        }
        return false;
    }
    fluid_synth_add_sfloader(synth, loader);  // the synth owns it from here, and asks it first
    return true;
}

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
        } else if (!isSoundFont(path)) {
            why = "'" + path + "' is not a SoundFont that can be read";
        } else if ((madeSynth = new_fluid_synth(made)) == nullptr) {
            why = "FluidSynth cannot make a synth";
        } else if (!useCloseOnExecLoader(madeSynth, made) ||
                   fluid_synth_sfload(madeSynth, path.c_str(), 1) == FLUID_FAILED) {
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
