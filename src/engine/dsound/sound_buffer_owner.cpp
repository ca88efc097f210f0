#include "engine/dsound/sound_buffer_owner.h"

#include "engine/tone/output_wave_format.h"
#include "platform/output_failure.h"

namespace engine {

namespace ds = platform::ds;
namespace mm = platform::mm;
using platform::MessageBoxStyle;

#ifndef LIRVETO_MAKER_HOST
#error "LIRVETO_MAKER_HOST names the maker's web site"
#endif

const char* directSoundMissingText() {
    return "DirectSound is not installed on this system.\nGo to https://" LIRVETO_MAKER_HOST
           " for instructions on installing this free Windows enhancement from Microsoft.";
}

SoundBufferOwner::SoundBufferOwner(platform::WaveOutApi& output,
                                   platform::DirectSoundLibrary& directSound,
                                   platform::MessageBox& messageBox)
    : waveOut(output), library(directSound), messages(messageBox) {}

bool SoundBufferOwner::createSoundBuffer(uintptr_t window, engine::OutputFormat output) {
    platform::WaveOutCaps caps;
    if (waveOut.getDevCaps(mm::WAVE_MAPPER, &caps) != mm::MMSYSERR_NOERROR &&
        waveOut.getDevCaps(0, &caps) != mm::MMSYSERR_NOERROR) {
        messages.show("Can't get Wave Output Device capabilities.", "Lirveto initdat",
                      MessageBoxStyle::Ok);
        return false;
    }

    const platform::WaveFormatPcm wave = pcmWaveFormatOf(output);
    const platform::PcmWaveFormat format{wave.formatTag,      wave.channels,   wave.samplesPerSec,
                                         wave.avgBytesPerSec, wave.blockAlign, wave.bitsPerSample};

    const platform::DirectSoundLibrary::Module module = library.loadLibrary("dsound.dll");
    if (module == nullptr) {
        messages.show(directSoundMissingText(), "Lirveto", MessageBoxStyle::OkExclamation);
        return false;
    }
    platform::DirectSoundCreateFunction* create =
        library.getProcAddress(module, "DirectSoundCreate");
    if (create == nullptr) {
        messages.show("Cannot get DirectSoundCreate function address", "Lirveto",
                      MessageBoxStyle::OkExclamation);
        return false;
    }
    if (create->create(nullptr, &device, nullptr) != ds::DS_OK || device == nullptr) {
        device = nullptr;
        messages.show(platform::outputFailureText(library.lastDeviceError()), "Lirveto",
                      MessageBoxStyle::OkExclamation);
        return false;
    }
    if (device->setCooperativeLevel(window, ds::DSSCL_NORMAL) != ds::DS_OK) {
        messages.show("Can't set coop level", "Lirveto initdat", MessageBoxStyle::Ok);
    }

    platform::DsCaps deviceCaps;
    deviceCaps.size = sizeof deviceCaps;
    device->getCaps(&deviceCaps);
    if ((deviceCaps.flags & ds::DSCAPS_EMULDRIVER) != 0) {
        messages.show(
            "DirectSound is running in emulated mode, which won't work with Lirveto.\n"
            "Try updating sound card drivers or change sound card.",
            "Lirveto", MessageBoxStyle::Ok);
        return false;
    }

    platform::DsBufferDesc desc{};
    desc.size = ds::kBufferDescVersion1Size;
    desc.flags = ds::DSBCAPS_STATIC | ds::DSBCAPS_CTRLFREQUENCY | ds::DSBCAPS_CTRLPAN |
                 ds::DSBCAPS_CTRLVOLUME;
    desc.bufferBytes = format.avgBytesPerSec;
    desc.format = &format;
    if (device->createSoundBuffer(&desc, &buffer, nullptr) != ds::DS_OK) {
        buffer = nullptr;
        messages.show(platform::outputFailureText(device->lastDeviceError()), "Lirveto",
                      MessageBoxStyle::OkExclamation);
        return false;
    }
    size = format.avgBytesPerSec;
    return true;
}

void SoundBufferOwner::releaseBuffer() {
    if (buffer != nullptr) {
        buffer->stop();
        buffer->release();
        buffer = nullptr;
    }
}

void SoundBufferOwner::releaseDevice() {
    if (device != nullptr) {
        device->release();
        device = nullptr;
    }
}

}  // namespace engine
