#pragma once
// Audio output straight to the PulseAudio server (or anything that speaks its protocol, such as
// pipewire-pulse) through libpulse, with a server buffer of our choosing and the server's own
// underrun reports counted. The server is found as libpulse finds it (PULSE_SERVER, the runtime
// folder, client.conf); none is ever started for us.
//
// The server holds serverBufferMs of sound ahead of the speaker and asks for it a period at a
// time (the asked one, or a quarter of the buffer if less), so a source that reads a looping
// buffer sees its read position move in small steps however large the buffer grows.
// pipewire-pulse asks in larger pieces, whole quanta of its own graph.
//
// Threads: as AudioDevice says: GUI for open, start, stop and close. The source is filled on
// libpulse's mainloop thread under the mainloop lock, which start() and stop() take briefly and
// nothing else of ours holds. framesPlayed, serverUnderruns, serverBufferMs and lost read atomics.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/audio_device.h"

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace platform {

class PulseAudioDevice final : public AudioDevice {
  public:
    // The buffer an automatic choice starts at and the most it is raised to; the least a fixed
    // choice is given.
    static constexpr int32_t kAutoStartMs = 20;
    static constexpr int32_t kLargestBufferMs = 100;
    static constexpr int32_t kSmallestBufferMs = 5;
    // How long open() waits for the server to answer, so that a server that accepts the
    // connection and then says nothing cannot hang the GUI thread.
    static constexpr int32_t kAnswerTimeoutMs = 2000;

    // `sinkName`: the server's name of the sink to play on; empty for its default.
    explicit PulseAudioDevice(std::string sinkName = {}) : sink(std::move(sinkName)) {}
    ~PulseAudioDevice() override { close(); }
    PulseAudioDevice(const PulseAudioDevice&) = delete;
    PulseAudioDevice& operator=(const PulseAudioDevice&) = delete;

    bool open(const AudioFormat& format, AudioSource& source) override;
    void start() override;
    void stop() override;
    void close() override;
    uint64_t framesPlayed() const override { return frames.load(std::memory_order_relaxed); }
    AudioFormat format() const override { return current; }
    std::string lastError() const override { return error; }
    bool lost() const override { return gone.load(std::memory_order_acquire); }
    uint64_t serverUnderruns() const override { return underruns.load(std::memory_order_relaxed); }
    int32_t serverBufferMs() const override { return bufferMs.load(std::memory_order_relaxed); }
    std::string routeName() const override { return "PulseAudio"; }

  private:
    struct Callbacks;
    friend struct Callbacks;

    // Under the mainloop lock, below.
    bool connect();
    bool connectStream(const char* sinkName);
    void dropStream();
    bool waitUntilReady();
    void fail(int code);
    // Mainloop thread only, below.
    void write(std::size_t bytes) noexcept;
    void raiseBuffer() noexcept;
    void readBackBuffer() noexcept;

    pa_threaded_mainloop* mainloop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    std::string sink;
    AudioFormat current;
    AudioSource* source = nullptr;
    int32_t askedPeriodFrames = 0;
    bool autoBuffer = false;
    int32_t askedBufferMs = 0;  // under the mainloop lock
    // Under the mainloop lock; atomic as well so that a reader never depends on that.
    std::atomic<bool> stopped{true};
    std::atomic<bool> uncorkPending{false};
    std::atomic<bool> timedOut{false};
    std::atomic<bool> gone{false};
    std::atomic<uint64_t> frames{0};
    std::atomic<uint64_t> underruns{0};
    std::atomic<int32_t> bufferMs{0};
    std::string error;
};

}  // namespace platform
