#pragma once
// A pull-model audio output: the device asks its source for bytes on a thread of its own.
//
// Threads: open, start, stop and close belong to one controlling thread (the GUI thread, or the
// thread that drives a virtual clock) and must not be called from inside the callback.
// AudioSource::fill runs on the device's thread: it is noexcept, allocates nothing and takes no
// lock that slow work may hold. framesPlayed may be read from any thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace platform {

struct AudioFormat {
    int32_t rate = 22050;        // frames per second
    int32_t channels = 1;        // 1 or 2, interleaved left first
    int32_t bits = 8;            // 8: unsigned, silence 128; 16: signed little-endian
    int32_t periodFrames = 512;  // frames asked for per callback (a device may choose another)

    int32_t frameBytes() const { return channels * bits / 8; }
    uint8_t silence() const { return bits == 8 ? 0x80 : 0x00; }
};

class AudioSource {
  public:
    // Device thread. Fills every byte of `out`, a whole number of frames in the opened format.
    virtual void fill(std::span<uint8_t> out) noexcept = 0;

  protected:
    ~AudioSource() = default;
};

class AudioDevice {
  public:
    virtual ~AudioDevice() = default;

    // Controlling thread, while closed. Opens the output in `format`, paused; `source` must outlive
    // the open device. False with lastError() set when the output cannot be opened.
    virtual bool open(const AudioFormat& format, AudioSource& source) = 0;

    // Controlling thread, while open. Callbacks begin (again).
    virtual void start() = 0;

    // Controlling thread, while open. On return no callback is running and none begins before
    // the next start(); the device plays silence meanwhile.
    virtual void stop() = 0;

    // Controlling thread. Stops and releases the output; safe when not open.
    virtual void close() = 0;

    // Any thread. Frames handed to the output since open.
    virtual uint64_t framesPlayed() const = 0;

    // Controlling thread. The format in force after a successful open (the period may differ from
    // the one asked for).
    virtual AudioFormat format() const = 0;

    // Controlling thread. Why the last open failed.
    virtual std::string lastError() const = 0;
};

// Makes a closed device (real: SDL2; tests and offline rendering: a virtual one).
using AudioDeviceFactory = std::function<std::unique_ptr<AudioDevice>()>;

}  // namespace platform
