#pragma once
// Devices that pass every call on to a fake the test owns, so that the test keeps the fake after
// the page that played through it is gone.

#include <string>

#include "platform/dsound/dsound_api.h"
#include "platform/waveout/wave_out_api.h"

namespace testing_support {

// Lets the test keep the fake output after the page that played through it is gone.
class ForwardingWaveOut final : public platform::WaveOutApi {
  public:
    explicit ForwardingWaveOut(platform::WaveOutApi& real) : to(real) {}
    platform::mm::MmResult getDevCaps(uint32_t id, platform::WaveOutCaps* caps) override {
        return to.getDevCaps(id, caps);
    }
    platform::mm::MmResult open(platform::HWAVEOUT* handle, uint32_t id,
                                const platform::WaveFormatPcm* format,
                                platform::WaveOutNotify* notify, uint32_t flags) override {
        return to.open(handle, id, format, notify, flags);
    }
    platform::mm::MmResult prepareHeader(platform::HWAVEOUT h, platform::WaveHeader* w) override {
        return to.prepareHeader(h, w);
    }
    platform::mm::MmResult unprepareHeader(platform::HWAVEOUT h, platform::WaveHeader* w) override {
        return to.unprepareHeader(h, w);
    }
    platform::mm::MmResult write(platform::HWAVEOUT h, platform::WaveHeader* w) override {
        return to.write(h, w);
    }
    platform::mm::MmResult breakLoop(platform::HWAVEOUT h) override { return to.breakLoop(h); }
    platform::mm::MmResult reset(platform::HWAVEOUT h) override { return to.reset(h); }
    platform::mm::MmResult close(platform::HWAVEOUT h) override { return to.close(h); }
    platform::mm::MmResult getVolume(platform::HWAVEOUT h, uint32_t* v) override {
        return to.getVolume(h, v);
    }
    platform::mm::MmResult setVolume(platform::HWAVEOUT h, uint32_t v) override {
        return to.setVolume(h, v);
    }
    std::string lastDeviceError() const override { return to.lastDeviceError(); }
    bool deviceLost(platform::HWAVEOUT h) const override { return to.deviceLost(h); }

  private:
    platform::WaveOutApi& to;
};

// Lets the test keep the fake library after the page that played through it is gone.
class ForwardingDirectSound final : public platform::DirectSoundLibrary {
  public:
    explicit ForwardingDirectSound(platform::DirectSoundLibrary& real) : to(real) {}
    Module loadLibrary(const char* name) override { return to.loadLibrary(name); }
    platform::DirectSoundCreateFunction* getProcAddress(Module module, const char* name) override {
        return to.getProcAddress(module, name);
    }

  private:
    platform::DirectSoundLibrary& to;
};

}  // namespace testing_support
