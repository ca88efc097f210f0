#include "platform/dsound/audio_direct_sound.h"

#include <algorithm>

#include "platform/dsound/looping_sound_buffer.h"
#include "platform/waveout/wave_out.h"

namespace platform {

namespace {

// The output's own format for the probe: what most outputs run at natively.
AudioFormat probeFormat() {
    AudioFormat format;
    format.rate = 44100;
    format.channels = 2;
    format.bits = 16;
    format.periodFrames = LoopingSoundBuffer::kPeriodFramesAsked;
    return format;
}

bool isPlayable(const PcmWaveFormat& format) {
    return isPlayablePcm(WaveFormatPcm{format.formatTag, format.channels, format.samplesPerSec,
                                       format.avgBytesPerSec, format.blockAlign,
                                       format.bitsPerSample, 0});
}

}  // namespace

AudioDirectSound* AudioDirectSound::create(AudioDeviceFactory factory, std::string& error) {
    auto* directSound = new AudioDirectSound(std::move(factory));
    directSound->probe = directSound->makeDevice();
    if (directSound->probe == nullptr || !directSound->probe->open(probeFormat(), *directSound)) {
        error = directSound->probe != nullptr ? directSound->probe->lastError() : std::string();
        delete directSound;
        return nullptr;
    }
    error.clear();
    return directSound;
}

AudioDirectSound::AudioDirectSound(AudioDeviceFactory factory) : makeDevice(std::move(factory)) {}

AudioDirectSound::~AudioDirectSound() {
    if (probe != nullptr) {
        probe->close();
    }
}

uint32_t AudioDirectSound::release() {
    delete this;
    return 0;
}

void AudioDirectSound::fill(std::span<uint8_t> out) noexcept {
    std::fill(out.begin(), out.end(), uint8_t{0});
}

ds::HResult AudioDirectSound::setCooperativeLevel(uintptr_t window, uint32_t level) {
    if (window == 0 || level < ds::DSSCL_NORMAL || level > ds::DSSCL_WRITEPRIMARY) {
        return ds::DSERR_INVALIDPARAM;
    }
    cooperativeLevel = level;
    return ds::DS_OK;
}

ds::HResult AudioDirectSound::getCaps(DsCaps* caps) {
    if (caps == nullptr || caps->size != sizeof(DsCaps)) {
        return ds::DSERR_INVALIDPARAM;
    }
    // The output converts any PCM format, so every format counts as supported.
    caps->flags = ds::DSCAPS_PRIMARYMONO | ds::DSCAPS_PRIMARYSTEREO | ds::DSCAPS_PRIMARY8BIT |
                  ds::DSCAPS_PRIMARY16BIT | ds::DSCAPS_CONTINUOUSRATE | ds::DSCAPS_SECONDARYMONO |
                  ds::DSCAPS_SECONDARYSTEREO | ds::DSCAPS_SECONDARY8BIT | ds::DSCAPS_SECONDARY16BIT;
    caps->minSecondarySampleRate = 8000;
    caps->maxSecondarySampleRate = 192000;
    caps->primaryBuffers = 1;
    return ds::DS_OK;
}

ds::HResult AudioDirectSound::createSoundBuffer(const DsBufferDesc* desc,
                                                IDirectSoundBuffer** buffer, void* outer) {
    if (buffer == nullptr) {
        return ds::DSERR_INVALIDPARAM;
    }
    *buffer = nullptr;
    if (outer != nullptr) {
        return ds::DSERR_NOAGGREGATION;
    }
    if (desc == nullptr || desc->size != ds::kBufferDescVersion1Size || desc->reserved != 0 ||
        desc->format == nullptr || (desc->flags & ds::DSBCAPS_PRIMARYBUFFER) != 0) {
        return ds::DSERR_INVALIDPARAM;  // only secondary buffers are offered
    }
    if (!isPlayable(*desc->format)) {
        return ds::DSERR_BADFORMAT;
    }
    if (desc->bufferBytes < ds::DSBSIZE_MIN || desc->bufferBytes > ds::DSBSIZE_MAX ||
        desc->bufferBytes % desc->format->blockAlign != 0) {
        return ds::DSERR_INVALIDPARAM;
    }
    if (probe != nullptr) {
        probe->close();
        probe.reset();
    }
    auto device = makeDevice();
    if (device == nullptr) {
        return ds::DSERR_ALLOCATED;
    }
    LoopingSoundBuffer* created = LoopingSoundBuffer::create(std::move(device), *desc->format,
                                                             desc->bufferBytes, deviceError);
    if (created == nullptr) {
        return ds::DSERR_ALLOCATED;
    }
    *buffer = created;
    return ds::DS_OK;
}

}  // namespace platform
