#pragma once
// What the two sample pages (Wave and DirectSound) share over SoundPage: an engine that plays the
// output format of the settings and a WAV take recorded in the format the output was opened
// with.
//
// Thread: GUI.

#include <memory>
#include <mutex>
#include <optional>

#include "pages/sound_page.h"
#include "pages/wave_recording.h"

namespace pages {

template <class Engine>
class SamplePage : public SoundPage {
  public:
    const files::WaveFile& recordingFile() const { return take->waveFile(); }

  protected:
    using SoundPage::SoundPage;

    // The page's constructor hands over its engine, made with the page as its host; the take
    // follows it. `fileLock`: held by the engine while it writes off the GUI thread, else null.
    void useEngine(std::unique_ptr<Engine> made, std::mutex* fileLock) {
        engine = std::move(made);
        take.emplace(
            *this, services,
            WaveRecording::Hooks{
                [this](files::WaveFile* file) { engine->setRecordingFile(file); },
                // While playing, the take has the format the output was opened with.
                [this] { return engine->isPlaying() ? playFormat : WaveRecording::outputFormat(); },
                fileLock},
            [this] { stopPlaying(); });
    }
    // After shutDown, before the devices the engine plays through go: the take, then the engine.
    void releaseEngine() {
        take.reset();
        engine.reset();
    }

    void startEngine() override {
        const platform::WaveFormatPcm format = WaveRecording::outputFormat();
        engine->startPlaying();
        if (engine->isPlaying()) {
            playFormat = format;
        }
    }
    void stopEngine() override { engine->stopPlaying(); }
    bool enginePlaying() const override { return engine->isPlaying(); }
    bool engineOutputLost() override { return engine->outputLost(); }
    Recording& recording() override { return *take; }

    std::unique_ptr<Engine> engine;

  private:
    // The format the output was opened with at the last Play.
    platform::WaveFormatPcm playFormat{};
    std::optional<WaveRecording> take;
};

}  // namespace pages
