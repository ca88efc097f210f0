#pragma once
// The wave output over an AudioDevice: the mapper and device 0 are both "the" output, opened on
// a fresh device for each open, with volume applied in software.
//
// Thread: GUI, every operation (checked in debug builds). MM_WOM_OPEN and MM_WOM_CLOSE are posted
// from that thread inside open and close. MM_WOM_DONE is posted from the stream's notifier thread,
// or, with postDuringPull, from inside a clocked device's pull (on the thread advancing its
// clock, never audio). reset posts the remaining dones before it returns.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio_device.h"
#include "platform/thread_owner.h"
#include "platform/waveout/wave_out_api.h"
#include "platform/waveout/wave_out_stream.h"

namespace platform {

class WaveOut final : public WaveOutApi {
  public:
    using DeviceFactory = AudioDeviceFactory;
    using ClockedDeviceFactory = std::function<std::unique_ptr<ClockedAudioDevice>()>;

    // MM_WOM_DONE comes from each stream's notifier thread: right for any device.
    explicit WaveOut(DeviceFactory factory);
    // MM_WOM_DONE is posted from inside the device's pull, in step with its clock. Only clocked
    // devices are taken: a post locks and allocates, which no real-time callback may do.
    struct PostDuringPull {};
    static constexpr PostDuringPull postDuringPull{};
    WaveOut(PostDuringPull, ClockedDeviceFactory factory);
    // Stops and releases any output still open without posting anything more.
    ~WaveOut() override;
    WaveOut(const WaveOut&) = delete;
    WaveOut& operator=(const WaveOut&) = delete;

    mm::MmResult getDevCaps(uint32_t deviceId, WaveOutCaps* caps) override;
    mm::MmResult open(HWAVEOUT* handle, uint32_t deviceId, const WaveFormatPcm* format,
                      WaveOutNotify* notify, uint32_t flags) override;
    mm::MmResult prepareHeader(HWAVEOUT handle, WaveHeader* header) override;
    mm::MmResult unprepareHeader(HWAVEOUT handle, WaveHeader* header) override;
    mm::MmResult write(HWAVEOUT handle, WaveHeader* header) override;
    // Looping headers are not supported (their loop flags are ignored), so there is no loop to
    // break: only the handle is checked.
    mm::MmResult breakLoop(HWAVEOUT handle) override;
    mm::MmResult reset(HWAVEOUT handle) override;
    mm::MmResult close(HWAVEOUT handle) override;
    // The volume belongs to the output, not to one open: it outlasts close.
    mm::MmResult getVolume(HWAVEOUT handle, uint32_t* volume) override;
    mm::MmResult setVolume(HWAVEOUT handle, uint32_t volume) override;

    std::string lastDeviceError() const override { return deviceError; }
    bool deviceLost(HWAVEOUT handle) const override;

    // Frames per device period for a rate: about 20 ms, a power of two.
    static int32_t periodFramesFor(uint32_t rate);

  private:
    WaveOutStream* find(HWAVEOUT handle) const;

    std::unique_ptr<WaveOutStream> makeStream(WaveOutNotify* target);

    ThreadOwner owner;
    DeviceFactory makeDevice;
    ClockedDeviceFactory makeClockedDevice;
    std::atomic<uint32_t> volume{0xFFFFFFFF};
    std::vector<std::unique_ptr<WaveOutStream>> streams;
    std::string deviceError;
};

// The check open makes of a format: PCM, 1 or 2 channels, 8, 16 or 24 bits (an export's virtual
// device; the sound servers' routes take 8 or 16), 8000..192000 Hz, and the block align and byte
// rate that follow from them.
bool isPlayablePcm(const WaveFormatPcm& format);

}  // namespace platform
