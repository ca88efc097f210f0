#pragma once
// Streams the DirectSound page's tone into its looping buffer: a chain of 1 ms one-shot timer
// events, each reading the cursor, slewing the frequency by at most 5 Hz, topping the buffer up
// ahead of the write cursor, appending the same bytes to the recording and refreshing the
// readout. Only one step runs at a time (the process-wide busy flag), and each arms the next.
// With the playing aids on, a step plays the pitch the layout and the correction make of the
// cursor, reached by the classic slew or by the timed glide, at a frequency that is not rounded
// to whole hertz.
//
// Threads: construction, start, stop, the wave table, the screen and the recording file belong to
// the GUI thread; steps run on the timer thread. Stop cancels the chain and waits for a running
// step before it returns, and the step holds the buffer guard while it uses the buffer, so no
// step touches a released buffer or a closed file. Lock order: buffer guard, then recording lock;
// the GUI thread never takes the buffer guard while holding the recording lock.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "engine/dsound/dsound_engine_host.h"
#include "engine/dsound/fill_ahead.h"
#include "engine/dsound/recording_backlog.h"
#include "engine/dsound/sound_buffer_owner.h"
#include "engine/dsound/stream_layout.h"
#include "engine/dsound/stream_state.h"
#include "engine/tone/note_readout.h"
#include "engine/tone/pitch_glide.h"
#include "engine/tone/playing_aids.h"
#include "engine/tone/wave_table.h"
#include "platform/cursor_source.h"
#include "platform/mmtimer_api.h"
#include "platform/output_lost_flag.h"

namespace files {
class WaveFile;
}

namespace engine {

class DirectSoundEngine final : private FillAheadSink {
  public:
    static constexpr int32_t kSlewHzPerStep = 5;
    static constexpr uint32_t kStepDelayMs = 1;
    // While the sound keeps changing, the readout is formatted once in this many steps.
    static constexpr uint32_t kStepsPerReadout = 16;
    // How long a file command may hold the take before the steps' backlog overflows.
    static constexpr uint32_t kBacklogSeconds = 20;

    DirectSoundEngine(platform::WaveOutApi& waveOut, platform::DirectSoundLibrary& library,
                      platform::TimerApi& timer, platform::CursorSource& cursor,
                      platform::MessageBox& messages, DirectSoundEngineHost& host,
                      StreamState& state = streamState());
    // Stops first.
    ~DirectSoundEngine();
    DirectSoundEngine(const DirectSoundEngine&) = delete;
    DirectSoundEngine& operator=(const DirectSoundEngine&) = delete;

    // GUI, only while stopped: the screen the cursor is mapped over.
    void setScreen(platform::ScreenSize size) { screen = size; }
    // GUI: the Timbre slider moved; the next step plays the new table.
    void rebuildWaveTable(int32_t timbre);
    // GUI: the page's recording file (or none). Steps append to it whenever it has an open file.
    void setRecordingFile(files::WaveFile* file);
    // GUI: held by the page's file commands while they work on the recording file. A step never
    // waits for it: what it plays meanwhile waits in a backlog for the file.
    std::mutex& recordingLock() { return recordingMutex; }

    // GUI.
    bool isPlaying() const { return owner.soundBuffer() != nullptr; }
    // GUI thread. The output went away under the playing buffer (a step found it gone): stopping
    // is all that helps.
    bool outputLost() const;
    // Play: opens the device and buffer, arms the chain, plays. Does nothing while playing.
    void startPlaying();
    // Stop: every step of it runs whatever state a failed start left.
    void stopPlaying();

    // The layout of the current play.
    StreamLayout layout() const { return stream; }

  private:
    static void onTimer(uint32_t timerId, uintptr_t user);
    void streamingStep();
    // Under the buffer guard: what a step of the playing aids plays.
    struct TunedStep {
        double frequency = 0;
        double pitch = 0;
    };
    TunedStep tunedStep(int32_t x, const PlayingAids& aids);
    void armNextStep();
    void reportOnce(std::atomic<bool>& reported, const char* text, const char* caption);
    // Under recordingMutex: the backlog, then the regions; false after a failed write.
    bool append(std::span<const uint8_t> first, std::span<const uint8_t> second);

    // FillAheadSink (timer thread, under the buffer guard).
    void written(std::span<const uint8_t> first, std::span<const uint8_t> second) override;
    void lockFailed() override;
    void unlockFailed() override;
    // Counted with the other outputs' underruns (LIRVETO_REPORT_UNDERRUNS, the soak).
    void fellBehind() override;

    platform::TimerApi& timer;
    platform::CursorSource& cursor;
    platform::MessageBox& messages;
    DirectSoundEngineHost& host;
    StreamState& state;
    SoundBufferOwner owner;
    platform::ScreenSize screen;
    bool periodHeld = false;

    // The buffer guard: what a step uses of the play, set at start and cleared at stop.
    std::mutex bufferGuard;
    platform::IDirectSoundBuffer* streamBuffer = nullptr;
    StreamLayout stream;
    engine::WaveTable table;
    // Where the steps' pitch is, for the playing aids: the frequency the last step played, the
    // correction and the glide. Set at start, then only steps touch them.
    double lastStepFrequency = 0;
    bool steppedThisPlay = false;
    CorrectionState correction;
    GlideState glide;

    // What the readout last told of. The pitch stands still most of the time: a step that plays
    // the same sound leaves the text as it is rather than format it anew each millisecond. While
    // the sound changes (a slew takes a step per 5 Hz) the text is formatted once in
    // kStepsPerReadout steps, more often than any display shows it; the last change is always
    // told. Timer thread; reset at Play.
    uint32_t stepsSinceTold = kStepsPerReadout;
    struct ToldReadout {
        bool designed = false;
        double frequency = -1;
        double pitch = 0;  // tuned steps'
        int32_t amplitude = -1;
        engine::ViewFlags view;
        friend bool operator==(const ToldReadout&, const ToldReadout&) = default;
    };
    ToldReadout toldReadout;

    // The chain: stop ends it under this lock, so no step arms an event stop does not cancel.
    std::mutex chainMutex;
    bool chainEnded = true;
    uint32_t timerEvent = 0;

    std::mutex recordingMutex;
    files::WaveFile* recording = nullptr;
    // An append failed (a full disk): the file keeps what it holds, without a gap, until the
    // page sets the recording again. Under recordingMutex.
    bool writeFailed = false;
    // What steps played while a file command held recordingMutex. Only steps use it, and Stop
    // once no step runs.
    RecordingBacklog backlog;
    // The backlog overflowed: the take lost sound and stops, as after a failed write.
    bool backlogLost = false;

    // Failures a step reports once per play.
    std::atomic<bool> lockReported{false};
    std::atomic<bool> unlockReported{false};
    std::atomic<bool> writeReported{false};
    std::atomic<bool> timerReported{false};
    std::atomic<bool> backlogReported{false};
    // Raised by the step that finds the buffer lost.
    platform::OutputLostFlag lost;
};

// The frequency a step plays: `wanted`, but at most 5 Hz away from the last step's.
int32_t slewLimited(int32_t wanted, int32_t last);
// The same for frequencies that are not whole hertz.
double slewLimitedHz(double wanted, double last);

}  // namespace engine
