#pragma once
// The Midi page's engine: while it plays, a 5 ms periodic timer samples the cursor and plays it
// on a MIDI output as a note with pitch bend and controller volume, every message twice (channel
// 13, then channel 1), and appends each message to the page's recording, stamped with the time
// since the previous timed message (1 ms a unit). The page maps in semitones over its own range
// already, so of the playing aids only the correction applies: with it on, the pitch is corrected
// every tick, so a settling correction is sent as bends while the cursor stands still.
//
// Threads: tick runs on the timer thread; everything else belongs to the GUI thread. One lock
// (lockRecording) guards the device, the tracking values and the recording: the tick, stop and
// the message-sending operations take it, and so does the page around its file commands, so no
// tick writes to a file that is being closed or replaced. Stop kills the timer before it takes
// the lock, so no tick runs once it returns. Never call start or stop while holding the lock.

#include <atomic>
#include <cstdint>
#include <mutex>

#include <optional>
#include "platform/output_lost_flag.h"

#include "engine/midi/midi_engine_host.h"
#include "engine/tone/note_readout.h"
#include "engine/tone/playing_aids.h"
#include "platform/cursor_source.h"
#include "platform/midiout_api.h"
#include "platform/mmtimer_api.h"

namespace files {
class MidiFile;
}

namespace engine {

class MidiEngine {
  public:
    static constexpr uint32_t kTickMs = 5;
    static constexpr uint32_t kDeltaPerTick = kTickMs;  // a recording's delta unit is 1 ms
    static constexpr uint8_t kFirstChannel = 13;
    static constexpr uint8_t kSecondChannel = 1;

    MidiEngine(platform::MidiOutApi& midiOut, platform::TimerApi& timer,
               platform::CursorSource& cursor, MidiEngineHost& host);
    // Kills the timer and closes the device without sending anything (the page stops first).
    ~MidiEngine();
    MidiEngine(const MidiEngine&) = delete;
    MidiEngine& operator=(const MidiEngine&) = delete;

    // GUI thread. The screen the cursor is mapped over (page set-up).
    void setScreen(platform::ScreenSize screen);
    // GUI thread, under lockRecording or while stopped. The page's recording file, written to
    // whenever it is open; null for none.
    void setRecordingFile(files::MidiFile* file) { recording = file; }
    // GUI thread, under lockRecording. The user chose what becomes of the recording (New, Open,
    // Save As, Close): after a failed append, appending is tried, and reported, again.
    void recordingChanged() { recordingFailed = false; }
    bool recordingStopped() const { return recordingFailed; }
    // GUI thread. Hold it around every file command on the recording file.
    [[nodiscard]] std::unique_lock<std::mutex> lockRecording() {
        return std::unique_lock(recordingMutex);
    }

    // GUI thread. A device is open.
    bool isPlaying() const { return device != nullptr; }
    // GUI thread. The output went away while playing: stopping is all that helps.
    bool outputLost() const { return device != nullptr && lost.raised(); }
    // GUI thread. Start has run at least once.
    bool hasStarted() const { return started; }
    // GUI thread. The id that the last start chose (0 until one matched).
    uint32_t deviceId() const { return chosenId; }

    // GUI thread. Opens the device whose product name is the MidiDriver setting (the last of
    // equal names; else the previous id), sets up both channels and starts the tick, whose first
    // step sends the note, the bend and the volume wherever the cursor is. "Can't open MIDI" when
    // the device does not open. Does nothing more while a device is open.
    void start();
    // GUI thread. Ends the tick, silences the sounding note, puts back the device volume and
    // closes the device. Does nothing before the first start.
    void stop();

    // GUI thread. Sets the Instrument setting and sends its program change on both channels
    // (programs above 127 are sent as 127).
    void setInstrument(int32_t instrument);
    // GUI thread. A negative range keeps the present one, one above 127 becomes 127; sends the
    // range to both channels. Returns the range in force. A stored PitchBend outside 0..127 is
    // taken as the nearest of them, by this and by the tick alike.
    int32_t setBendRange(int32_t semitones);
    // GUI thread. Sets the MidiVolume setting (0..100) and, while an open device can, its
    // volume.
    void setMidiVolume(int32_t volume);

    // Timer thread (or whoever drives a virtual clock). One 5 ms step: reads the cursor and
    // sends what changed.
    void tick();

  private:
    static void onTimer(uint32_t timerId, uintptr_t user);
    void chooseDevice();
    void stopTimer();
    // Under the lock. `timed`: the first message carries the ticks counted since the last timed
    // message, and the count starts again.
    void sendPair(uint8_t status, uint8_t data1, uint8_t data2, bool timed);
    void sendEvent(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2, uint32_t ticks);
    void sendBendRange(int32_t range);
    static int32_t bendRangeInForce();
    void applyMidiVolume();
    void followX(int32_t x, int32_t width, bool& sent);
    void followTuned(int32_t x, int32_t width, const PlayingAids& aids, bool& sent);
    // Under the lock: sounds `pitch` (at the concert pitch) as the held note bent, or as a new
    // note (`integer` when the held one cannot reach it).
    void playPitch(float pitch, int32_t integer, bool& sent);
    void followY(int32_t y, int32_t height);

    platform::MidiOutApi& midiOut;
    platform::TimerApi& timer;
    platform::CursorSource& cursor;
    MidiEngineHost& host;

    std::mutex recordingMutex;
    // Raised by the tick that finds the device gone.
    platform::OutputLostFlag lost;
    // Written by start and stop on the GUI thread under the lock; read by the tick under it.
    platform::HMIDIOUT device = nullptr;
    files::MidiFile* recording = nullptr;
    // An append failed (a full disk): the file keeps what it holds rather than gain a stretch
    // with a gap, until recordingChanged().
    bool recordingFailed = false;
    uint32_t chosenId = 0;
    bool started = false;
    bool volumeCapable = false;
    uint32_t savedVolume = 1;  // 1: nothing saved
    uint32_t timerId = 0;
    std::atomic<int32_t> screenWidth{0};
    std::atomic<int32_t> screenHeight{0};

    // What the tick tracks between steps. Start clears them: the built-in synth is reset when it
    // opens, and a take must carry its own note, bend and volume and no silence of an earlier
    // play, so the first tick sends them wherever the cursor is (the bend with a range).
    struct Tracking {
        std::optional<int32_t> lastX;
        std::optional<int32_t> lastY;
        uint32_t tickCount = 0;
        int32_t note = 0;
        int32_t bend = 0;
        std::optional<int32_t> lastBend;
        float exactPitch = 0;
        int32_t level = 0;
        // The playing aids made the pitch last sent; its exact value, and the correction.
        bool tuned = false;
        double tunedPitch = 0;
        CorrectionState correction;
        // The View choice the readout was last told in: a new one is told at the next tick,
        // with the pointer standing still too.
        std::optional<ViewFlags> toldView;
    } tracking;
    int32_t currentNote = -1;
};

}  // namespace engine
