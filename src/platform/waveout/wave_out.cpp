#include "platform/waveout/wave_out.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace platform {

namespace {

// The flags of a queued header may be changed by the stream's notifier at any moment.
uint32_t headerFlags(WaveHeader& header) {
    return std::atomic_ref<uint32_t>(header.flags).load(std::memory_order_acquire);
}

void setHeaderFlags(WaveHeader& header, uint32_t flags) {
    std::atomic_ref<uint32_t>(header.flags).store(flags, std::memory_order_release);
}

void copyName(WaveOutCaps& caps, const char* name) {
    std::strncpy(caps.productName, name, sizeof caps.productName - 1);
    caps.productName[sizeof caps.productName - 1] = '\0';
}

}  // namespace

bool isPlayablePcm(const WaveFormatPcm& format) {
    return format.formatTag == mm::WAVE_FORMAT_PCM &&
           (format.channels == 1 || format.channels == 2) &&
           (format.bitsPerSample == 8 || format.bitsPerSample == 16 ||
            format.bitsPerSample == 24) &&
           format.samplesPerSec >= 8000 && format.samplesPerSec <= 192000 &&
           format.blockAlign == format.channels * format.bitsPerSample / 8 &&
           format.avgBytesPerSec == format.samplesPerSec * format.blockAlign;
}

int32_t WaveOut::periodFramesFor(uint32_t rate) {
    int32_t frames = 64;
    while (static_cast<uint32_t>(frames) < rate / 50) {
        frames *= 2;
    }
    return frames;
}

WaveOut::WaveOut(DeviceFactory factory) : makeDevice(std::move(factory)) {}

WaveOut::WaveOut(PostDuringPull /*unused*/, ClockedDeviceFactory factory)
    : makeClockedDevice(std::move(factory)) {}

std::unique_ptr<WaveOutStream> WaveOut::makeStream(WaveOutNotify* target) {
    if (makeClockedDevice) {
        if (auto device = makeClockedDevice()) {
            return std::make_unique<WaveOutStream>(std::move(device), target, volume);
        }
    } else if (makeDevice) {
        if (auto device = makeDevice()) {
            return std::make_unique<WaveOutStream>(std::move(device), target, volume);
        }
    }
    return nullptr;
}

WaveOut::~WaveOut() = default;

WaveOutStream* WaveOut::find(HWAVEOUT handle) const {
    if (handle == nullptr) {
        return nullptr;
    }
    const auto found = std::find_if(streams.begin(), streams.end(), [handle](const auto& stream) {
        return stream.get() == handle;
    });
    return found == streams.end() ? nullptr : found->get();
}

mm::MmResult WaveOut::getDevCaps(uint32_t deviceId, WaveOutCaps* caps) {
    owner.check("WaveOut::getDevCaps");
    if (deviceId != mm::WAVE_MAPPER && deviceId != 0) {
        return mm::MMSYSERR_BADDEVICEID;
    }
    if (caps == nullptr) {
        return mm::MMSYSERR_INVALPARAM;
    }
    *caps = WaveOutCaps{};
    caps->driverVersion = 0x0100;
    copyName(*caps, deviceId == mm::WAVE_MAPPER ? "Sound mapper" : "Default sound output");
    caps->formats = mm::WAVE_FORMAT_ALL_STANDARD;
    caps->channels = 2;
    caps->support = mm::WAVECAPS_VOLUME | mm::WAVECAPS_LRVOLUME | mm::WAVECAPS_SAMPLEACCURATE;
    return mm::MMSYSERR_NOERROR;
}

mm::MmResult WaveOut::open(HWAVEOUT* handle, uint32_t deviceId, const WaveFormatPcm* format,
                           WaveOutNotify* notify, uint32_t flags) {
    owner.check("WaveOut::open");
    if (deviceId != mm::WAVE_MAPPER && deviceId != 0) {
        return mm::MMSYSERR_BADDEVICEID;
    }
    if ((flags & ~(mm::WAVE_FORMAT_QUERY | mm::CALLBACK_WINDOW)) != 0) {
        return mm::MMSYSERR_INVALFLAG;
    }
    if (format == nullptr) {
        return mm::MMSYSERR_INVALPARAM;
    }
    if (!isPlayablePcm(*format)) {
        return mm::WAVERR_BADFORMAT;
    }
    if ((flags & mm::WAVE_FORMAT_QUERY) != 0) {
        return mm::MMSYSERR_NOERROR;
    }
    const bool windowCallback = (flags & mm::CALLBACK_WINDOW) != 0;
    if (handle == nullptr || (windowCallback && notify == nullptr)) {
        return mm::MMSYSERR_INVALPARAM;
    }
    *handle = nullptr;

    WaveOutNotify* target = windowCallback ? notify : nullptr;
    auto stream = makeStream(target);
    if (!stream) {
        deviceError = "no audio output available";
        return mm::MMSYSERR_NODRIVER;
    }
    AudioFormat output;
    output.rate = static_cast<int32_t>(format->samplesPerSec);
    output.channels = format->channels;
    output.bits = format->bitsPerSample;
    output.periodFrames = periodFramesFor(format->samplesPerSec);

    deviceError.clear();
    if (!stream->open(output, deviceError)) {
        return mm::MMSYSERR_ALLOCATED;
    }
    *handle = stream.get();
    streams.push_back(std::move(stream));
    if (target != nullptr) {
        target->post(mm::MM_WOM_OPEN, nullptr);
    }
    return mm::MMSYSERR_NOERROR;
}

mm::MmResult WaveOut::prepareHeader(HWAVEOUT handle, WaveHeader* header) {
    owner.check("WaveOut::prepareHeader");
    if (find(handle) == nullptr) {
        return mm::MMSYSERR_INVALHANDLE;
    }
    if (header == nullptr || (header->data == nullptr && header->bufferLength != 0)) {
        return mm::MMSYSERR_INVALPARAM;
    }
    setHeaderFlags(*header, headerFlags(*header) | mm::WHDR_PREPARED);
    return mm::MMSYSERR_NOERROR;
}

mm::MmResult WaveOut::unprepareHeader(HWAVEOUT handle, WaveHeader* header) {
    owner.check("WaveOut::unprepareHeader");
    if (find(handle) == nullptr) {
        return mm::MMSYSERR_INVALHANDLE;
    }
    if (header == nullptr) {
        return mm::MMSYSERR_INVALPARAM;
    }
    const uint32_t flags = headerFlags(*header);
    if ((flags & mm::WHDR_INQUEUE) != 0) {
        return mm::WAVERR_STILLPLAYING;
    }
    setHeaderFlags(*header, flags & ~mm::WHDR_PREPARED);
    return mm::MMSYSERR_NOERROR;
}

mm::MmResult WaveOut::write(HWAVEOUT handle, WaveHeader* header) {
    owner.check("WaveOut::write");
    WaveOutStream* stream = find(handle);
    if (stream == nullptr) {
        return mm::MMSYSERR_INVALHANDLE;
    }
    if (header == nullptr || (header->data == nullptr && header->bufferLength != 0)) {
        return mm::MMSYSERR_INVALPARAM;
    }
    const uint32_t flags = headerFlags(*header);
    if ((flags & mm::WHDR_PREPARED) == 0) {
        return mm::WAVERR_UNPREPARED;
    }
    if ((flags & mm::WHDR_INQUEUE) != 0) {
        return mm::WAVERR_STILLPLAYING;
    }
    return stream->enqueue(header) ? mm::MMSYSERR_NOERROR : mm::MMSYSERR_NOMEM;
}

bool WaveOut::deviceLost(HWAVEOUT handle) const {
    owner.check("WaveOut::deviceLost");
    const WaveOutStream* stream = find(handle);
    return stream != nullptr && stream->deviceLost();
}

mm::MmResult WaveOut::breakLoop(HWAVEOUT handle) {
    owner.check("WaveOut::breakLoop");
    return find(handle) == nullptr ? mm::MMSYSERR_INVALHANDLE : mm::MMSYSERR_NOERROR;
}

mm::MmResult WaveOut::reset(HWAVEOUT handle) {
    owner.check("WaveOut::reset");
    WaveOutStream* stream = find(handle);
    if (stream == nullptr) {
        return mm::MMSYSERR_INVALHANDLE;
    }
    stream->reset();
    return mm::MMSYSERR_NOERROR;
}

mm::MmResult WaveOut::close(HWAVEOUT handle) {
    owner.check("WaveOut::close");
    WaveOutStream* stream = find(handle);
    if (stream == nullptr) {
        return mm::MMSYSERR_INVALHANDLE;
    }
    if (stream->outstanding() != 0) {
        return mm::WAVERR_STILLPLAYING;
    }
    WaveOutNotify* target = stream->target();
    stream->close();
    std::erase_if(streams, [stream](const auto& open) { return open.get() == stream; });
    if (target != nullptr) {
        target->post(mm::MM_WOM_CLOSE, nullptr);
    }
    return mm::MMSYSERR_NOERROR;
}

mm::MmResult WaveOut::getVolume(HWAVEOUT handle, uint32_t* level) {
    owner.check("WaveOut::getVolume");
    if (find(handle) == nullptr) {
        return mm::MMSYSERR_INVALHANDLE;
    }
    if (level == nullptr) {
        return mm::MMSYSERR_INVALPARAM;
    }
    *level = volume.load(std::memory_order_relaxed);
    return mm::MMSYSERR_NOERROR;
}

mm::MmResult WaveOut::setVolume(HWAVEOUT handle, uint32_t level) {
    owner.check("WaveOut::setVolume");
    if (find(handle) == nullptr) {
        return mm::MMSYSERR_INVALHANDLE;
    }
    volume.store(level, std::memory_order_relaxed);
    return mm::MMSYSERR_NOERROR;
}

}  // namespace platform
