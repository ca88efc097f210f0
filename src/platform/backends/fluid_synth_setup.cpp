#include "platform/backends/fluid_synth_setup.h"
#include "platform/backends/fluid_synth_port.h"

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace platform {

namespace {

// FluidSynth takes events at the start of each 64-frame block: rendering block by block keeps a
// message's delay under 1.5 ms at 44100 Hz.
constexpr int32_t kChunkFrames = 64;

// The gain at full volume: one voice at a time, so louder than FluidSynth's default of 0.2.
constexpr float kFullGain = 0.5F;

constexpr const char* kHowToGetOne =
    "install a General MIDI SoundFont (on Debian the package timgm6mb-soundfont or "
    "fluid-soundfont-gm) or choose another file";

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

std::string defaultSoundFont(fluid_settings_t* settings) {
    std::string path;
    char* named = nullptr;
    if (fluid_settings_dupstr(settings, "synth.default-soundfont", &named) == FLUID_OK &&
        named != nullptr) {
        path = named;
    }
    fluid_free(named);
    return path;
}

}  // namespace

GmSynth::~GmSynth() {
    if (made != nullptr) {
        delete_fluid_synth(made);
    }
    if (settings != nullptr) {
        delete_fluid_settings(settings);
    }
}

GmSynth::GmSynth(GmSynth&& other) noexcept
    : settings(std::exchange(other.settings, nullptr)), made(std::exchange(other.made, nullptr)) {}

GmSynth& GmSynth::operator=(GmSynth&& other) noexcept {
    if (this != &other) {
        GmSynth old(std::move(*this));
        settings = std::exchange(other.settings, nullptr);
        made = std::exchange(other.made, nullptr);
    }
    return *this;
}

GmSynth makeGmSynth(const std::string& soundFont, int32_t rate, std::string& why) {
    GmSynth result;
    result.settings = new_fluid_settings();
    if (result.settings == nullptr) {
        why = "FluidSynth cannot make its settings";
        return result;
    }
    fluid_settings_setnum(result.settings, "synth.sample-rate", rate);
    fluid_settings_setnum(result.settings, "synth.gain", kFullGain);
    const std::string path = soundFont.empty() ? defaultSoundFont(result.settings) : soundFont;
    std::error_code ignored;
    if (path.empty()) {
        why = std::string("no SoundFont is named and FluidSynth knows no default one: ") +
              kHowToGetOne;
    } else if (!std::filesystem::exists(path, ignored)) {
        why = "the SoundFont '" + path + "' is missing: " + kHowToGetOne;
    } else if (!isSoundFont(path)) {
        why = "'" + path + "' is not a SoundFont that can be read";
    } else if ((result.made = new_fluid_synth(result.settings)) == nullptr) {
        why = "FluidSynth cannot make a synth";
    } else if (!useCloseOnExecLoader(result.made, result.settings) ||
               fluid_synth_sfload(result.made, path.c_str(), 1) == FLUID_FAILED) {
        why = "FluidSynth cannot load '" + path + "'";
        delete_fluid_synth(std::exchange(result.made, nullptr));
    }
    return result;
}

mm::MmResult playShortMessage(fluid_synth_t* synth, uint32_t message) {
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

void renderChunks(fluid_synth_t* synth, int16_t* samples, int32_t frames, int32_t gain) noexcept {
    for (int32_t done = 0; done < frames; done += kChunkFrames) {
        const int32_t count = std::min(kChunkFrames, frames - done);
        int16_t* at = samples + 2 * static_cast<ptrdiff_t>(done);
        fluid_synth_write_s16(synth, count, at, 0, 2, at, 1, 2);
    }
    if (gain != 0xFFFF) {
        for (int32_t i = 0; i < 2 * frames; ++i) {
            samples[i] = static_cast<int16_t>(samples[i] * gain / 0xFFFF);
        }
    }
}

void renderFloatChunks(fluid_synth_t* synth, float* samples, int32_t frames,
                       int32_t gain) noexcept {
    for (int32_t done = 0; done < frames; done += kChunkFrames) {
        const int32_t count = std::min(kChunkFrames, frames - done);
        float* at = samples + 2 * static_cast<ptrdiff_t>(done);
        fluid_synth_write_float(synth, count, at, 0, 2, at, 1, 2);
    }
    if (gain != 0xFFFF) {
        const float scale = static_cast<float>(gain) / 0xFFFF;
        for (int32_t i = 0; i < 2 * frames; ++i) {
            samples[i] *= scale;
        }
    }
}

MidiOutCaps builtInSynthCaps() {
    MidiOutCaps caps;
    setProductName(caps, FluidSynthPort::kProductName);
    caps.technology = mm::MOD_SWSYNTH;
    caps.voices = 256;
    caps.notes = 256;
    caps.support = mm::MIDICAPS_VOLUME;
    return caps;
}

}  // namespace platform
