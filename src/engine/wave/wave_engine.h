#pragma once
// Streams the Wave page's tone to the wave output: two buffers circulate, and each time the
// output hands one back the cursor decides whether a new stretch of sound is rendered, the last
// one repeats, or the tone falls silent. While a recording is open every queued buffer is also
// appended to it. The output's pace alone drives it: there is no timer.
//
// Thread: GUI, every operation (checked in debug builds); only the output's notification runs
// elsewhere (any thread but audio), and it only forwards to WaveEngineHost::postBufferDone.

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/tone/refill_decision.h"
#include "engine/tone/wave_table.h"
#include "engine/wave/wave_engine_host.h"
#include "platform/cursor_source.h"
#include "platform/message_box.h"
#include "platform/thread_owner.h"
#include "platform/waveout/wave_out_api.h"

namespace files {
class WaveFile;
}

namespace engine {

class WaveEngine final : public ToneRenderer, private platform::WaveOutNotify {
  public:
    static constexpr int32_t kBufferBytes = 40050;

    // Failures go to `messages`, which shows them later: the engine runs inside notification
    // handlers, where no box may open.
    WaveEngine(platform::WaveOutApi& waveOut, platform::CursorSource& cursor,
               platform::MessageBoxQueue& messages, WaveEngineHost& host);
    ~WaveEngine() override;
    WaveEngine(const WaveEngine&) = delete;
    WaveEngine& operator=(const WaveEngine&) = delete;

    // Page set-up: the screen the cursor is mapped over.
    void setScreen(platform::ScreenSize screen) { decision.setScreen(screen); }
    // The Timbre slider moved.
    void rebuildWaveTable(int32_t timbre) { buildWaveTable(table, timbre); }
    // The page's recording file (or none); appended to whenever it has an open file. A write
    // that fails is reported once and stops the appending, while the tone plays on, until the
    // page sets the file again (the user chose New, Open, Save As or Close).
    void setRecordingFile(files::WaveFile* file);
    bool recordingStopped() const { return writeFailed; }

    // The cause under which a failed recording write is reported.
    static constexpr const char* recordingWriteCause = "wave recording write";

    bool isPlaying() const { return device != nullptr; }
    // The output went away while playing: stopping is all that helps.
    bool outputLost() const { return device != nullptr && waveOut.deviceLost(device); }

    // Play: opens the output and queues two buffers. Does nothing while playing.
    void startPlaying();
    // Stop: returns every queued buffer and closes the output. Does nothing while stopped.
    void stopPlaying();
    // MM_WOM_DONE as the page received it. Notifications from before the last Stop are dropped.
    void onBufferDone(platform::WaveHeader* header, uint32_t playSession);
    // The restart message: stop, show "****" and ask the page to play again.
    void onRestart();

    // ToneRenderer: renders into the buffer not in the output, while playing.
    void renderNextBuffer(int32_t newFrequency, int32_t oldFrequency, int32_t newAmplitude,
                          int32_t oldAmplitude) override;
    void renderTunedBuffer(double newFrequency, double oldFrequency, int32_t newAmplitude,
                           int32_t oldAmplitude) override;

    // Shows the readout of the note playing again, as the View settings now say. Does nothing
    // while stopped or before the first note.
    void refreshReadout();

    // The buffer most recently rendered (0 or 1): the one the next refill queues.
    int32_t currentBuffer() const { return current; }

  private:
    void post(uint32_t message, platform::WaveHeader* header) noexcept override;
    bool openDevice();
    void refill(platform::WaveHeader* header);

    platform::ThreadOwner owner;
    platform::WaveOutApi& waveOut;
    platform::CursorSource& cursor;
    platform::MessageBoxQueue& messages;
    WaveEngineHost& host;

    platform::HWAVEOUT device = nullptr;
    // The buffers and headers live as long as the engine, so neither Play nor playing allocates
    // and a late notification can never reach freed memory.
    std::array<platform::WaveHeader, 2> headers{};
    std::array<std::vector<uint8_t>, 2> buffers;
    std::array<int32_t, 2> lengths{};
    int32_t current = 0;
    // The note of the last readout, if one has been shown since Play. A buffer of the playing
    // aids shows its exact pitch instead of the whole-hertz frequency (NaN: the frequency).
    bool readoutShown = false;
    int32_t readoutFrequency = 0;
    double readoutPitch = 0;
    int32_t readoutAmplitude = 0;
    // The bytes a second of the open output: the refill decision's clock.
    int32_t bytesPerSecond = 1;
    // Counts Plays and Stops; a notification carries the value of its moment.
    std::atomic<uint32_t> playSession{0};

    WaveTable table;
    RefillDecision decision;
    files::WaveFile* recording = nullptr;
    bool writeFailed = false;
};

}  // namespace engine
