#include "dsound_render.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "engine/dsound/dsound_engine.h"
#include "engine/dsound/stream_state.h"
#include "files/wave_file.h"
#include "gesture_cursor.h"
#include "platform/dsound/direct_sound_library.h"
#include "platform/mmtimer_manual.h"
#include "platform/waveout/virtual_audio_device.h"
#include "platform/waveout/wave_out.h"

namespace {

class FailureMessages final : public platform::MessageBox {
  public:
    int show(const std::string& text, const std::string& caption,
             platform::MessageBoxStyle) override {
        failures.note(text, caption);
        return platform::MessageBoxResult::IDOK;
    }
    RenderFailures failures;
};

// The page as the engine sees it; a step's failure fails the render.
class RenderHost final : public engine::DirectSoundEngineHost {
  public:
    explicit RenderHost(FailureMessages& failures) : messages(failures) {}
    void showPlaying() override {}
    void showStopped() override {}
    uintptr_t windowHandle() override { return 1; }
    void postStatus(const char*) override {}
    void requestMessage(const char* text, const char* caption) override {
        messages.show(text, caption, platform::MessageBoxStyle::Ok);
    }

  private:
    FailureMessages& messages;
};

platform::AudioDeviceFactory virtualDevices(platform::VirtualAudioDevice*& latest) {
    return [&latest] {
        auto made = std::make_unique<platform::VirtualAudioDevice>();
        latest = made.get();
        return made;
    };
}

}  // namespace

bool renderDirectSound(const Gesture& gesture, platform::ScreenSize screen, int64_t durationMs,
                       files::WaveFile& recording, std::string& error) {
    platform::VirtualAudioDevice* device = nullptr;
    platform::VirtualAudioDevice* waveOutDevice = nullptr;
    platform::WaveOut waveOut(virtualDevices(waveOutDevice));
    platform::DirectSoundOnAudio library(virtualDevices(device));
    platform::ManualTimer timer;
    GestureCursor cursor(gesture, screen);
    FailureMessages messages;
    RenderHost host(messages);

    engine::streamState().resetToProgramStart();
    if (gesture.streamFromHz >= 0) {
        engine::streamState().lastFrequency.store(
            static_cast<int32_t>(std::min<int64_t>(gesture.streamFromHz, INT32_MAX)));
    }
    engine::DirectSoundEngine engine(waveOut, library, timer, cursor, messages, host);
    engine.setScreen(screen);
    engine.setRecordingFile(&recording);

    engine.startPlaying();
    const bool played = engine.isPlaying();
    for (int64_t t = 1;
         played && t <= durationMs && !gesture.readsGiven() && messages.failures.first.empty();
         ++t) {
        cursor.nowMs = t;
        device->advanceToMs(static_cast<uint64_t>(t));
        timer.advanceTo(t);
    }
    engine.stopPlaying();
    engine.setRecordingFile(nullptr);
    if (!messages.failures.first.empty()) {
        error = messages.failures.first;
        return false;
    }
    if (!played) {
        error = "the DirectSound engine did not play";
        return false;
    }
    return true;
}
