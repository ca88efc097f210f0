#pragma once
// The wave output functions a sample page plays through, with the records, flags and result
// codes numbered as the multimedia library numbers them (codes are shown to the user as "%d").
//
// Thread: GUI, every WaveOutApi operation; none may be called from inside WaveOutNotify::post.

#include <cstdint>
#include <string>

#include "platform/mm_result.h"
#include "platform/wave_format.h"

namespace platform {

namespace mm {
constexpr MmResult WAVERR_BADFORMAT = 32;
constexpr MmResult WAVERR_STILLPLAYING = 33;
constexpr MmResult WAVERR_UNPREPARED = 34;

constexpr uint32_t WAVE_MAPPER = 0xFFFFFFFF;

// Open flags.
constexpr uint32_t WAVE_FORMAT_QUERY = 0x0001;
constexpr uint32_t CALLBACK_NULL = 0x00000000;
constexpr uint32_t CALLBACK_WINDOW = 0x00010000;

// Messages posted to the notification target.
constexpr uint32_t MM_WOM_OPEN = 0x3BB;
constexpr uint32_t MM_WOM_CLOSE = 0x3BC;
constexpr uint32_t MM_WOM_DONE = 0x3BD;

// WaveHeader::flags.
constexpr uint32_t WHDR_DONE = 0x01;
constexpr uint32_t WHDR_PREPARED = 0x02;
constexpr uint32_t WHDR_BEGINLOOP = 0x04;
constexpr uint32_t WHDR_ENDLOOP = 0x08;
constexpr uint32_t WHDR_INQUEUE = 0x10;

// WaveOutCaps::support.
constexpr uint32_t WAVECAPS_VOLUME = 0x0004;
constexpr uint32_t WAVECAPS_LRVOLUME = 0x0008;
constexpr uint32_t WAVECAPS_SAMPLEACCURATE = 0x0020;

// WaveOutCaps::formats: 11025, 22050 and 44100 Hz, mono and stereo, 8 and 16 bits.
constexpr uint32_t WAVE_FORMAT_ALL_STANDARD = 0x0FFF;
}  // namespace mm

// One buffer handed to the output. While it is queued (WHDR_INQUEUE) the output changes `flags`
// from another thread: read them only after its MM_WOM_DONE has arrived.
struct WaveHeader {
    uint8_t* data = nullptr;
    uint32_t bufferLength = 0;  // bytes of `data` to play
    uint32_t bytesRecorded = 0;
    uintptr_t user = 0;
    uint32_t flags = 0;  // mm::WHDR_*
    uint32_t loops = 0;
};

struct WaveOutCaps {
    uint16_t manufacturerId = 0;
    uint16_t productId = 0;
    uint32_t driverVersion = 0;
    char productName[32] = {};
    uint32_t formats = 0;  // mm::WAVE_FORMAT_*
    uint16_t channels = 0;
    uint32_t support = 0;  // mm::WAVECAPS_*
};

// Where an open output reports. post queues the message for the page and returns at once; it
// must not call back into the output. Thread: any thread but audio (it may lock and allocate).
class WaveOutNotify {
  public:
    virtual void post(uint32_t message, WaveHeader* header) noexcept = 0;

  protected:
    ~WaveOutNotify() = default;
};

class WaveOutStream;
using HWAVEOUT = WaveOutStream*;

class WaveOutApi {
  public:
    virtual ~WaveOutApi() = default;

    // Capabilities of mm::WAVE_MAPPER or device 0.
    virtual mm::MmResult getDevCaps(uint32_t deviceId, WaveOutCaps* caps) = 0;

    // Opens `deviceId` for `format`. With CALLBACK_WINDOW, `notify` receives MM_WOM_OPEN, an
    // MM_WOM_DONE for every header written, and MM_WOM_CLOSE. With WAVE_FORMAT_QUERY only checks
    // the format.
    virtual mm::MmResult open(HWAVEOUT* handle, uint32_t deviceId, const WaveFormatPcm* format,
                              WaveOutNotify* notify, uint32_t flags) = 0;

    virtual mm::MmResult prepareHeader(HWAVEOUT handle, WaveHeader* header) = 0;
    virtual mm::MmResult unprepareHeader(HWAVEOUT handle, WaveHeader* header) = 0;

    // Queues a prepared header behind those already queued; they play back to back.
    virtual mm::MmResult write(HWAVEOUT handle, WaveHeader* header) = 0;

    virtual mm::MmResult breakLoop(HWAVEOUT handle) = 0;

    // Stops at once and hands every queued header back as done, in order, before returning.
    virtual mm::MmResult reset(HWAVEOUT handle) = 0;

    // Fails with WAVERR_STILLPLAYING while headers are queued. Nothing is posted after
    // MM_WOM_CLOSE.
    virtual mm::MmResult close(HWAVEOUT handle) = 0;

    // Volume: low word left, high word right, 0xFFFF full.
    virtual mm::MmResult getVolume(HWAVEOUT handle, uint32_t* volume) = 0;
    virtual mm::MmResult setVolume(HWAVEOUT handle, uint32_t volume) = 0;

    // Why the last open failed, in the device's own words; empty when it gave none.
    virtual std::string lastDeviceError() const = 0;

    // Whether the device behind an open handle went away (unplugged, its sound server gone):
    // nothing written is heard or handed back any more, and only closing the handle helps.
    virtual bool deviceLost(HWAVEOUT handle) const = 0;
};

}  // namespace platform
