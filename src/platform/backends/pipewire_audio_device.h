#pragma once
// The sound output straight to the user's PipeWire server: one playback stream, filled on
// PipeWire's real-time data thread, with a latency of our choosing and its dropouts counted.
// Fails to open where no server runs (it never starts one).
//
// Thread: as AudioDevice says. The source is called on PipeWire's data thread, never under the
// thread loop's lock; stop() and close() wait for a fill in progress to end (so a fill that
// blocks holds them up). The stream's events and the Auto latency's raises run on the device's
// own thread loop. It is no ClockedAudioDevice. framesPlayed, serverUnderruns, serverBufferMs
// and lost read atomics.
//
// Auto starts at kAutoStartMs (12 ms: PipeWire runs it as 512-frame cycles at 48 kHz, the
// shortest that played 20 s without a gap on an idle machine) and doubles at a dropout, at
// most once a second, up to kLongestMs; a raise holds for the later streams of the process.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio_device.h"
#include "platform/backends/pipewire_cycle_watch.h"

struct pw_stream;

namespace platform {

class PipeWireDevice final : public AudioDevice {
  public:
    // In ms of server latency: where Auto starts, the most it raises to, the least asked.
    static constexpr int32_t kAutoStartMs = 12;
    static constexpr int32_t kLongestMs = 100;
    static constexpr int32_t kShortestMs = 5;

    // `target`: the node name of the sink to play on; empty for the default. A target the graph
    // does not have is left to the session manager, which plays on the default instead.
    explicit PipeWireDevice(std::string target = {});
    ~PipeWireDevice() override;
    PipeWireDevice(const PipeWireDevice&) = delete;
    PipeWireDevice& operator=(const PipeWireDevice&) = delete;

    // Fails within about two seconds, lastError() saying "PipeWire: " and why.
    bool open(const AudioFormat& format, AudioSource& source) override;
    void start() override;
    void stop() override;
    void close() override;
    uint64_t framesPlayed() const override { return frames.load(std::memory_order_relaxed); }
    AudioFormat format() const override { return current; }
    std::string lastError() const override { return error; }
    bool lost() const override { return gone.load(std::memory_order_acquire); }
    uint64_t serverUnderruns() const override { return underruns.load(std::memory_order_relaxed); }
    // The graph's cycle as the stream last ran it (PipeWire rounds a latency down to a power of
    // two frames, and a stream asking less shortens it for all); before that, the latency asked.
    int32_t serverBufferMs() const override;
    std::string routeName() const override { return "PipeWire"; }

  private:
    struct Native;     // the PipeWire objects, in the .cpp
    struct Callbacks;  // the C callbacks PipeWire calls, in the .cpp

    bool connect(std::string& why);
    int32_t latencyFrames(int32_t ms) const;
    std::string latencyText(int32_t ms) const;
    void listen(pw_stream* stream, bool played, uint64_t asked) noexcept;
    void raiseLatency();
    void waitForFill() const;

    std::string error;  // GUI thread only
    std::string targetName;

    // Set while closed, before the data thread starts; read there after.
    std::unique_ptr<Native> native;
    AudioFormat current;
    AudioSource* source = nullptr;
    bool autoLatency = false;

    std::atomic<bool> playing{false};
    std::atomic<bool> filling{false};  // the data thread is inside its buffer's fill
    GraphCycleWatch watch;             // data thread only
    bool watching = false;             // data thread only: the last cycle was a played one

    std::atomic<int> state{0};  // pw_stream_state, as the thread loop last saw it
    std::atomic<bool> gone{false};
    std::atomic<uint64_t> frames{0};
    std::atomic<uint64_t> underruns{0};
    std::atomic<int32_t> askedMs{0};      // the latency asked of the server now
    std::atomic<int64_t> cycleMicros{0};  // the graph's cycle as last seen, 0 before one
};

}  // namespace platform
