#include "midi_render.h"

#include <memory>

#include "engine/midi/midi_engine.h"
#include "files/midi_file.h"
#include "gesture_cursor.h"
#include "platform/midiout.h"
#include "platform/midiout_virtual.h"
#include "platform/mmtimer_manual.h"

namespace {

class RenderHost final : public engine::MidiEngineHost {
  public:
    void showStatus(const char*) override {}
    void showMessage(const char* text, const char* caption) override {
        failures.note(text, caption);
    }
    void requestMessage(const char* text, const char* caption) override {
        failures.note(text, caption);
    }
    RenderFailures failures;
};

}  // namespace

bool playMidi(const Gesture& gesture, platform::ScreenSize screen, int64_t durationMs,
              std::shared_ptr<platform::MidiOutPort> port, files::MidiFile* recording,
              const std::function<bool(int64_t)>& reach, std::string& error) {
    platform::FixedMidiOutDevices devices({std::move(port)});
    platform::MidiOut midiOut(devices);
    platform::ManualTimer timer;
    GestureCursor cursor(gesture, screen);
    RenderHost host;
    engine::MidiEngine midi(midiOut, timer, cursor, host);
    midi.setScreen(screen);
    midi.setRecordingFile(recording);

    midi.start();
    if (!midi.isPlaying()) {
        error = host.failures.first.empty() ? "the MIDI engine did not play" : host.failures.first;
        return false;
    }
    // A failed write stops the recording, and with it the render.
    bool reached = true;
    for (int64_t t = engine::MidiEngine::kTickMs; t <= durationMs && host.failures.first.empty();
         t += engine::MidiEngine::kTickMs) {
        if (!reach(t)) {
            reached = false;
            break;
        }
        cursor.nowMs = t;
        timer.advanceTo(t);
    }
    reached = reached && host.failures.first.empty() && reach(durationMs);
    midi.stop();
    midi.setRecordingFile(nullptr);
    if (!host.failures.first.empty()) {
        error = host.failures.first;
        return false;
    }
    return reached;
}

bool renderMidi(const Gesture& gesture, platform::ScreenSize screen, int64_t durationMs,
                files::MidiFile& recording, std::string& error) {
    return playMidi(
        gesture, screen, durationMs, std::make_shared<platform::VirtualMidiPort>(), &recording,
        [](int64_t) { return true; }, error);
}
