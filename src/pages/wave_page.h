#pragma once
// WavePage (TAppDialog in the original design): the "Wave" sound page. The four tone sliders,
// the Wave engine it owns and the WAV take it records into.
//
// Thread: GUI, every operation; only postBufferDone runs elsewhere (any thread but audio: the
// engine's output notifier), and it only posts to the page.

#include <memory>

#include "engine/wave/wave_engine.h"
#include "engine/wave/wave_engine_host.h"
#include "pages/sample_page.h"

namespace pages {

class WavePage final : public SamplePage<engine::WaveEngine>, private engine::WaveEngineHost {
  public:
    WavePage(QWidget* parent, framework::PageServices& services);
    // Stops playing first: no output outlives the page.
    ~WavePage() override;

  private:
    LIRVETO_RESPONSE_TABLE(WavePage, SamplePage<engine::WaveEngine>);

    framework::LRESULT waveDone(framework::WPARAM session, framework::LPARAM header);
    framework::LRESULT restart(framework::WPARAM, framework::LPARAM);

    void setupControls() override;
    void takeSettings() override;
    files::PerformancePage performancePage() const override { return files::PerformancePage::wave; }
    void retellReadout() override;
    // The engine refills on the GUI thread and shows its readout there, a few times a second.
    bool publishesReadouts() const override { return false; }

    // WaveEngineHost.
    void postBufferDone(platform::WaveHeader* header, uint32_t playSession) noexcept override;
    void postRestart() override;
    void postToggle() override;
    void showStatus(const char* text) override;
    void pumpWaitingMessages() override;

    std::unique_ptr<platform::WaveOutApi> waveOut;
};

}  // namespace pages
