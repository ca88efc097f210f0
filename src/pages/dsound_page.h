#pragma once
// DirectSoundPage (TDirectSoundDlg in the original design): the "DirectSound" sound page. The
// volume, pitch and timbre sliders it shares with the Wave page, the DirectSound engine it owns
// and the WAV take it records into.
//
// Thread: GUI, every operation; postStatus and requestMessage run on the timer thread and only
// hand their text to the GUI thread.

#include <memory>

#include "engine/dsound/dsound_engine.h"
#include "engine/dsound/dsound_engine_host.h"
#include "pages/sample_page.h"

namespace pages {

class DirectSoundPage final : public SamplePage<engine::DirectSoundEngine>,
                              private engine::DirectSoundEngineHost {
  public:
    DirectSoundPage(QWidget* parent, framework::PageServices& services);
    // Stops playing first: no step outlives the page.
    ~DirectSoundPage() override;

  private:
    void setupControls() override;
    void takeSettings() override { placeToneSliders(); }
    int64_t carriedFromHz() const override;
    void carryFrom(int64_t hz) override;
    files::PerformancePage performancePage() const override {
        return files::PerformancePage::dsound;
    }

    // DirectSoundEngineHost.
    void showPlaying() override { showPlayState(); }
    void showStopped() override { showPlayState(); }
    uintptr_t windowHandle() override { return reinterpret_cast<uintptr_t>(this); }
    void postStatus(const char* text) override { publishStatus(text); }
    void requestMessage(const char* text, const char* caption) override;

    std::unique_ptr<platform::WaveOutApi> waveOut;
    std::unique_ptr<platform::DirectSoundLibrary> library;
};

}  // namespace pages
