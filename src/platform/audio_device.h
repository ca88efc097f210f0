#pragma once
// A pull-model audio output: the device asks its source for bytes on a thread of its own.
//
// Threads: "GUI" below is the thread that opens the device (in lirveto-render and tests, the one
// that drives a virtual clock); no GUI operation may be called from inside the callback.
// AudioSource::fill runs on the device's audio thread: it is noexcept, allocates nothing and
// takes no lock that slow work may hold.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace platform {

struct AudioFormat {
    int32_t rate = 22050;        // frames per second
    int32_t channels = 1;        // 1 or 2, interleaved left first
    int32_t bits = 8;            // 8: unsigned, silence 128; 16, 24: signed little-endian
    int32_t periodFrames = 512;  // frames asked for per callback (a device may choose another)
    // What the sound server may hold ahead of the speaker, in ms: 0 lets the route choose and
    // raise it when dropouts come; a route without a server buffer of its own ignores it.
    int32_t serverBufferMs = 0;

    int32_t frameBytes() const { return channels * bits / 8; }
    uint8_t silence() const { return bits == 8 ? 0x80 : 0x00; }
};

class AudioSource {
  public:
    // Thread: audio. Fills every byte of `out`, a whole number of frames in the opened format.
    virtual void fill(std::span<uint8_t> out) noexcept = 0;

  protected:
    ~AudioSource() = default;
};

class AudioDevice {
  public:
    virtual ~AudioDevice() = default;

    // Thread: GUI, while closed. Opens the output in `format`, paused; `source` must outlive the
    // open device. False with lastError() set when the output cannot be opened.
    virtual bool open(const AudioFormat& format, AudioSource& source) = 0;

    // Thread: GUI, while open. Callbacks begin (again).
    virtual void start() = 0;

    // Thread: GUI, while open. On return no callback is running and none begins before
    // the next start(); the device plays silence meanwhile.
    virtual void stop() = 0;

    // Thread: GUI. Stops and releases the output; safe when not open.
    virtual void close() = 0;

    // Thread: any thread. Frames handed to the output since open.
    virtual uint64_t framesPlayed() const = 0;

    // Thread: GUI. The format in force after a successful open (the period may differ from
    // the one asked for).
    virtual AudioFormat format() const = 0;

    // Thread: GUI. Why the last open failed.
    virtual std::string lastError() const = 0;

    // Thread: GUI or timer, while open. The output went away under the open device (unplugged,
    // its sound server gone, its file no longer writable): nothing it is given is heard any more,
    // and only closing it helps.
    virtual bool lost() const = 0;

    // Thread: any. The times the sound server reported that this output ran dry since open, so
    // that the listener heard a gap the source did not cause; 0 on a route that cannot tell.
    // Each is also counted process-wide (noteUnderrun).
    virtual uint64_t serverUnderruns() const { return 0; }

    // Thread: any, while open. The server buffer in force, in ms (0 where there is none).
    virtual int32_t serverBufferMs() const { return 0; }

    // Thread: GUI, while open. Which way the sound goes, in a user's words ("PipeWire",
    // "PulseAudio", "ALSA" ...), for messages and the status bar.
    virtual std::string routeName() const { return {}; }
};

// A device without a thread of its own: its callback runs only inside calls made on the thread
// that drives its clock (a virtual clock). Only for such a device may the source post, lock or
// allocate from inside the callback, since that thread is no real-time one.
class ClockedAudioDevice : public AudioDevice {};

// Makes a closed device (real: SDL2; tests and offline rendering: a virtual one).
using AudioDeviceFactory = std::function<std::unique_ptr<AudioDevice>()>;

}  // namespace platform
