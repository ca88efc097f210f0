#pragma once
// The DirectSound functions the DirectSound page streams through: the library with its creation
// function, the device (cooperative level, capabilities, buffer creation) and one looping
// secondary buffer (play, position, lock and unlock, stop). Records, flags and result codes are
// numbered as the DirectSound library numbers them.
//
// Threads: the library, the device and the buffer's create, play, stop and release belong to the
// GUI thread. getCurrentPosition, lock and unlock may run on another thread (the timer), one call
// at a time, while the GUI thread plays the buffer; release must wait until none is in progress.

#include <cstdint>
#include <string>

namespace platform {

namespace ds {
using HResult = uint32_t;

constexpr HResult DS_OK = 0;
constexpr HResult DSERR_ALLOCATED = 0x8878000A;
constexpr HResult DSERR_INVALIDCALL = 0x88780032;
constexpr HResult DSERR_BADFORMAT = 0x88780064;
constexpr HResult DSERR_NODRIVER = 0x88780078;
constexpr HResult DSERR_BUFFERLOST = 0x88780096;
constexpr HResult DSERR_INVALIDPARAM = 0x80070057;
constexpr HResult DSERR_OUTOFMEMORY = 0x8007000E;
constexpr HResult DSERR_NOAGGREGATION = 0x80040110;

// Cooperative levels.
constexpr uint32_t DSSCL_NORMAL = 1;
constexpr uint32_t DSSCL_PRIORITY = 2;
constexpr uint32_t DSSCL_EXCLUSIVE = 3;
constexpr uint32_t DSSCL_WRITEPRIMARY = 4;

// DsCaps::flags.
constexpr uint32_t DSCAPS_PRIMARYMONO = 0x0001;
constexpr uint32_t DSCAPS_PRIMARYSTEREO = 0x0002;
constexpr uint32_t DSCAPS_PRIMARY8BIT = 0x0004;
constexpr uint32_t DSCAPS_PRIMARY16BIT = 0x0008;
constexpr uint32_t DSCAPS_CONTINUOUSRATE = 0x0010;
constexpr uint32_t DSCAPS_EMULDRIVER = 0x0020;
constexpr uint32_t DSCAPS_SECONDARYMONO = 0x0100;
constexpr uint32_t DSCAPS_SECONDARYSTEREO = 0x0200;
constexpr uint32_t DSCAPS_SECONDARY8BIT = 0x0400;
constexpr uint32_t DSCAPS_SECONDARY16BIT = 0x0800;

// DsBufferDesc::flags.
constexpr uint32_t DSBCAPS_PRIMARYBUFFER = 0x0001;
constexpr uint32_t DSBCAPS_STATIC = 0x0002;
constexpr uint32_t DSBCAPS_CTRLFREQUENCY = 0x0020;
constexpr uint32_t DSBCAPS_CTRLPAN = 0x0040;
constexpr uint32_t DSBCAPS_CTRLVOLUME = 0x0080;

// Play and lock flags.
constexpr uint32_t DSBPLAY_LOOPING = 0x0001;
constexpr uint32_t DSBLOCK_FROMWRITECURSOR = 0x0001;
constexpr uint32_t DSBLOCK_ENTIREBUFFER = 0x0002;

// Buffer sizes a secondary buffer may have.
constexpr uint32_t DSBSIZE_MIN = 4;
constexpr uint32_t DSBSIZE_MAX = 0x0FFFFFFF;

// The size field of the first version of the buffer description: five 32-bit fields, as the
// record measures on the 32-bit system it was defined for. It names the version; the record
// itself holds a native pointer.
constexpr uint32_t kBufferDescVersion1Size = 20;
}  // namespace ds

// The PCM format record without the extra-size field, as a buffer description points at it.
struct PcmWaveFormat {
    uint16_t formatTag = 1;
    uint16_t channels = 1;
    uint32_t samplesPerSec = 22050;
    uint32_t avgBytesPerSec = 22050;
    uint16_t blockAlign = 1;
    uint16_t bitsPerSample = 8;
};
static_assert(sizeof(PcmWaveFormat) == 16);

struct DsBufferDesc {
    uint32_t size = 0;  // ds::kBufferDescVersion1Size
    uint32_t flags = 0;
    uint32_t bufferBytes = 0;
    uint32_t reserved = 0;
    const PcmWaveFormat* format = nullptr;
};

struct DsCaps {
    uint32_t size = 0;  // sizeof(DsCaps), set by the caller
    uint32_t flags = 0;
    uint32_t minSecondarySampleRate = 0;
    uint32_t maxSecondarySampleRate = 0;
    uint32_t primaryBuffers = 0;
};

class IDirectSoundBuffer {
  public:
    // Starts playing at the current position. Only looping play (DSBPLAY_LOOPING) is offered.
    virtual ds::HResult play(uint32_t reserved, uint32_t priority, uint32_t flags) = 0;
    // The play cursor (where the output is sounding) and the write cursor (where the output reads
    // next: bytes from there on may still be written). Either pointer may be null.
    // DSERR_BUFFERLOST when the output went away under the buffer: only releasing it helps.
    virtual ds::HResult getCurrentPosition(uint32_t* playCursor, uint32_t* writeCursor) = 0;
    // Hands out `bytes` from `offset` for writing: one region, or two when the span wraps past the
    // end (the second from offset 0). Written bytes reach the output at unlock.
    virtual ds::HResult lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* length1,
                             void** region2, uint32_t* length2, uint32_t flags) = 0;
    // Gives back the regions lock handed out, with the lengths actually written. Unlocking no
    // regions (null, 0) does nothing.
    virtual ds::HResult unlock(void* region1, uint32_t length1, void* region2,
                               uint32_t length2) = 0;
    // On return the output no longer reads the buffer; the position stays where it was.
    virtual ds::HResult stop() = 0;
    // Stops and frees the buffer. Returns the references left (0).
    virtual uint32_t release() = 0;

  protected:
    ~IDirectSoundBuffer() = default;
};

class IDirectSound {
  public:
    // `window`: the owner's window, non-zero.
    virtual ds::HResult setCooperativeLevel(uintptr_t window, uint32_t level) = 0;
    // `caps->size` must hold sizeof(DsCaps).
    virtual ds::HResult getCaps(DsCaps* caps) = 0;
    // A secondary buffer in the described PCM format, created paused at position 0. `outer`
    // must be null.
    virtual ds::HResult createSoundBuffer(const DsBufferDesc* desc, IDirectSoundBuffer** buffer,
                                          void* outer) = 0;
    // Frees the device; buffers created from it stay usable until their own release.
    virtual uint32_t release() = 0;
    // Why the sound output behind the last failed createSoundBuffer did not open, in its own
    // words; empty when it gave none.
    virtual std::string lastDeviceError() const { return {}; }

  protected:
    ~IDirectSound() = default;
};

// DirectSoundCreate, as the library's export table hands it out.
class DirectSoundCreateFunction {
  public:
    // `device` null: the default output. `outer` must be null.
    virtual ds::HResult create(const void* device, IDirectSound** directSound, void* outer) = 0;

  protected:
    ~DirectSoundCreateFunction() = default;
};

// Loading the library by name and finding its creation function.
class DirectSoundLibrary {
  public:
    using Module = const void*;

    virtual ~DirectSoundLibrary() = default;
    // Null when the library is missing. A loaded library is never unloaded.
    virtual Module loadLibrary(const char* name) = 0;
    // Null when the module has no export of that name.
    virtual DirectSoundCreateFunction* getProcAddress(Module module, const char* name) = 0;
    // Why the sound output behind the last failed creation did not open, in its own words;
    // empty when it gave none.
    virtual std::string lastDeviceError() const { return {}; }
};

}  // namespace platform
