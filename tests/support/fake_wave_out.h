#pragma once
// A wave output that plays nothing: it keeps every call, can be told to fail any step, and hands
// queued headers back as done only when the test says so.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/waveout/wave_out_api.h"

namespace testing_support {

class FakeWaveOut final : public platform::WaveOutApi {
  public:
    struct Written {
        platform::WaveHeader* header;
        std::vector<uint8_t> bytes;  // what the header carried when it was written
    };

    // Failures to act out.
    bool mapperCapsFail = false;
    bool deviceZeroCapsFail = false;
    bool lost = false;  // the open device went away
    uint32_t capsSupport = platform::mm::WAVECAPS_VOLUME | platform::mm::WAVECAPS_LRVOLUME;
    platform::mm::MmResult openResult = platform::mm::MMSYSERR_NOERROR;
    std::string openError;  // the device's reason for a failing open
    platform::mm::MmResult resetResult = platform::mm::MMSYSERR_NOERROR;
    platform::mm::MmResult closeResult = platform::mm::MMSYSERR_NOERROR;
    int failPrepareAfter = -1;  // this many prepares succeed, then every one fails (-1: never)
    int failWriteAfter = -1;    // likewise for writes

    // What happened.
    std::vector<std::string> calls;
    std::vector<Written> written;
    std::deque<platform::WaveHeader*> queued;
    uint32_t openedDevice = 0;
    platform::WaveFormatPcm openedFormat;
    int opens = 0;
    bool isOpen = false;

    // Hands the oldest queued header back as done, as the device would when it has played it.
    bool finishNext() {
        if (queued.empty() || notify == nullptr) {
            return false;
        }
        platform::WaveHeader* header = queued.front();
        queued.pop_front();
        header->flags = (header->flags & ~platform::mm::WHDR_INQUEUE) | platform::mm::WHDR_DONE;
        notify->post(platform::mm::MM_WOM_DONE, header);
        return true;
    }

    std::string lastDeviceError() const override { return openError; }
    bool deviceLost(platform::HWAVEOUT /*handle*/) const override { return isOpen && lost; }

    platform::mm::MmResult getDevCaps(uint32_t deviceId, platform::WaveOutCaps* caps) override {
        calls.push_back(deviceId == platform::mm::WAVE_MAPPER ? "caps mapper" : "caps 0");
        if ((deviceId == platform::mm::WAVE_MAPPER && mapperCapsFail) ||
            (deviceId == 0 && deviceZeroCapsFail)) {
            return platform::mm::MMSYSERR_NODRIVER;
        }
        *caps = platform::WaveOutCaps{};
        caps->support = capsSupport;
        return platform::mm::MMSYSERR_NOERROR;
    }

    platform::mm::MmResult open(platform::HWAVEOUT* handle, uint32_t deviceId,
                                const platform::WaveFormatPcm* format,
                                platform::WaveOutNotify* target, uint32_t flags) override {
        calls.push_back("open");
        if (openResult != platform::mm::MMSYSERR_NOERROR) {
            return openResult;
        }
        if (flags != platform::mm::CALLBACK_WINDOW || target == nullptr) {
            return platform::mm::MMSYSERR_INVALFLAG;
        }
        ++opens;
        isOpen = true;
        openedDevice = deviceId;
        openedFormat = *format;
        notify = target;
        *handle = fakeHandle();
        return platform::mm::MMSYSERR_NOERROR;
    }

    platform::mm::MmResult prepareHeader(platform::HWAVEOUT handle,
                                         platform::WaveHeader* header) override {
        calls.push_back("prepare");
        if (!valid(handle) || header == nullptr) {
            return platform::mm::MMSYSERR_INVALHANDLE;
        }
        if (failPrepareAfter >= 0 && prepares++ >= failPrepareAfter) {
            return platform::mm::MMSYSERR_NOMEM;
        }
        header->flags |= platform::mm::WHDR_PREPARED;
        return platform::mm::MMSYSERR_NOERROR;
    }

    platform::mm::MmResult unprepareHeader(platform::HWAVEOUT handle,
                                           platform::WaveHeader* header) override {
        calls.push_back("unprepare");
        if (!valid(handle) || header == nullptr) {
            return platform::mm::MMSYSERR_INVALHANDLE;
        }
        if ((header->flags & platform::mm::WHDR_INQUEUE) != 0) {
            return platform::mm::WAVERR_STILLPLAYING;
        }
        header->flags &= ~platform::mm::WHDR_PREPARED;
        return platform::mm::MMSYSERR_NOERROR;
    }

    platform::mm::MmResult write(platform::HWAVEOUT handle, platform::WaveHeader* header) override {
        calls.push_back("write");
        if (!valid(handle) || header == nullptr) {
            return platform::mm::MMSYSERR_INVALHANDLE;
        }
        if (failWriteAfter >= 0 && writes++ >= failWriteAfter) {
            return platform::mm::MMSYSERR_NOMEM;
        }
        if ((header->flags & platform::mm::WHDR_PREPARED) == 0) {
            return platform::mm::WAVERR_UNPREPARED;
        }
        if ((header->flags & platform::mm::WHDR_INQUEUE) != 0) {
            return platform::mm::WAVERR_STILLPLAYING;
        }
        header->flags = (header->flags & ~platform::mm::WHDR_DONE) | platform::mm::WHDR_INQUEUE;
        written.push_back({header, {header->data, header->data + header->bufferLength}});
        queued.push_back(header);
        return platform::mm::MMSYSERR_NOERROR;
    }

    platform::mm::MmResult breakLoop(platform::HWAVEOUT handle) override {
        calls.push_back("breakLoop");
        return valid(handle) ? platform::mm::MMSYSERR_NOERROR : platform::mm::MMSYSERR_INVALHANDLE;
    }

    platform::mm::MmResult reset(platform::HWAVEOUT handle) override {
        calls.push_back("reset");
        if (!valid(handle)) {
            return platform::mm::MMSYSERR_INVALHANDLE;
        }
        if (resetResult != platform::mm::MMSYSERR_NOERROR) {
            return resetResult;
        }
        while (finishNext()) {
        }
        return platform::mm::MMSYSERR_NOERROR;
    }

    platform::mm::MmResult close(platform::HWAVEOUT handle) override {
        calls.push_back("close");
        if (!valid(handle)) {
            return platform::mm::MMSYSERR_INVALHANDLE;
        }
        if (closeResult != platform::mm::MMSYSERR_NOERROR) {
            return closeResult;
        }
        if (!queued.empty()) {
            return platform::mm::WAVERR_STILLPLAYING;
        }
        isOpen = false;
        notify = nullptr;
        return platform::mm::MMSYSERR_NOERROR;
    }

    platform::mm::MmResult getVolume(platform::HWAVEOUT, uint32_t* volume) override {
        *volume = 0xFFFFFFFF;
        return platform::mm::MMSYSERR_NOERROR;
    }
    platform::mm::MmResult setVolume(platform::HWAVEOUT, uint32_t) override {
        return platform::mm::MMSYSERR_NOERROR;
    }

    int count(const std::string& call) const {
        int seen = 0;
        for (const std::string& made : calls) {
            seen += made == call ? 1 : 0;
        }
        return seen;
    }

  private:
    // The handle is only compared, never followed.
    static platform::HWAVEOUT fakeHandle() {
        return reinterpret_cast<platform::HWAVEOUT>(uintptr_t{0x5a5a0});
    }
    bool valid(platform::HWAVEOUT handle) const { return isOpen && handle == fakeHandle(); }

    platform::WaveOutNotify* notify = nullptr;
    int prepares = 0;
    int writes = 0;
};

}  // namespace testing_support
