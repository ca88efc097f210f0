#pragma once
// WavePage (TAppDialog in the original design): the "Wave" sound page. The four tone sliders,
// the Wave engine it owns and the WAV take it records into.
//
// Thread: GUI, every operation; only postBufferDone runs elsewhere (any thread but audio: the
// engine's output notifier), and it only posts to the page.

#include <memory>

#include "engine/wave/wave_engine.h"
#include "engine/wave/wave_engine_host.h"
#include "pages/sound_page.h"
#include "pages/wave_recording.h"

namespace pages {

class WavePage final : public SoundPage, private engine::WaveEngineHost {
  public:
    WavePage(QWidget* parent, framework::PageServices& services);
    // Stops playing first: no output outlives the page.
    ~WavePage() override;

    const files::WaveFile& recordingFile() const { return take.waveFile(); }

  private:
    LIRVETO_RESPONSE_TABLE(WavePage, SoundPage);

    framework::LRESULT waveDone(framework::WPARAM session, framework::LPARAM header);
    framework::LRESULT restart(framework::WPARAM, framework::LPARAM);

    void startEngine() override;
    void stopEngine() override { engine->stopPlaying(); }
    bool enginePlaying() const override { return engine->isPlaying(); }
    bool engineOutputLost() override { return engine->outputLost(); }
    Recording& recording() override { return take; }
    void setupControls() override;
    void takeSettings() override;
    // The engine refills on the GUI thread and shows its readout there, a few times a second.
    bool publishesReadouts() const override { return false; }

    // WaveEngineHost.
    void postBufferDone(platform::WaveHeader* header, uint32_t playSession) noexcept override;
    void postRestart() override;
    void postToggle() override;
    void showStatus(const char* text) override;
    void pumpWaitingMessages() override;

    std::unique_ptr<platform::WaveOutApi> waveOut;
    std::unique_ptr<engine::WaveEngine> engine;
    // The format the output was opened with at the last Play.
    platform::WaveFormatPcm playFormat;
    WaveRecording take;
};

}  // namespace pages
