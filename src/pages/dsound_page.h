#pragma once
// TDirectSoundDlg: the "DirectSound" sound page. Play and Stop, the volume, pitch and timbre
// sliders it shares with the Wave page, the DirectSound engine it owns and the WAV file it records
// into; it answers the page messages the frame and tab window send.
//
// Thread: GUI, every operation; postStatus and requestMessage run on the timer thread and only
// hand their text to the GUI thread.

#include <QPointer>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>

#include "controls/context_help_win.h"
#include "engine/dsound/dsound_engine.h"
#include "engine/dsound/dsound_engine_host.h"
#include "framework/dialog.h"
#include "framework/output_watch.h"
#include "framework/page_services.h"
#include "framework/recording_rescue.h"
#include "framework/wave_recording.h"

namespace controls {
class CoolButton;
class TVSlider;
}  // namespace controls

class TDirectSoundDlg : public framework::TDialog,
                        public controls::ContextHelpWin,
                        public framework::RecordingRescue,
                        private engine::DirectSoundEngineHost {
  public:
    // Posted by the timer thread when a new readout waits for the status bar.
    static constexpr framework::UINT statusReady = framework::WM_USER + 120;

    // With a parent the page is a child window (as in the tab window); the page keeps a
    // reference to `services`, which must outlive it.
    TDirectSoundDlg(QWidget* parent, framework::PageServices& services);
    // Stops playing first: no step outlives the page.
    ~TDirectSoundDlg() override;

    // The save check: false only when the user cancels.
    bool canClose() override;
    QString rescueRecording(const QString& folder, const QString& stem) override;

    bool isPlaying() const { return engine->isPlaying(); }
    const files::WaveFile& recordingFile() const { return recording.file(); }
    controls::TVSlider* slider(int id) const;

  protected:
    QWidget* createItem(const framework::DialogItem& item) override;
    void setupWindow() override;

  private:
    LIRVETO_RESPONSE_TABLE2(TDirectSoundDlg, framework::TDialog, controls::ContextHelpWin);

    using LRESULT = framework::LRESULT;
    using WPARAM = framework::WPARAM;
    using LPARAM = framework::LPARAM;

    LRESULT cmPlay(WPARAM, LPARAM);
    LRESULT cmStop(WPARAM, LPARAM);
    LRESULT toggle(WPARAM, LPARAM);
    LRESULT stop(WPARAM, LPARAM);
    LRESULT play(WPARAM, LPARAM);
    LRESULT fileNew(WPARAM, LPARAM);
    LRESULT fileOpen(WPARAM, LPARAM);
    LRESULT fileSaveAs(WPARAM, LPARAM);
    LRESULT fileSave(WPARAM, LPARAM);
    LRESULT fileClose(WPARAM, LPARAM);
    LRESULT queryNotEmpty(WPARAM, LPARAM);
    LRESULT updateTitle(WPARAM, LPARAM);
    LRESULT queryFileOpen(WPARAM, LPARAM);
    LRESULT settingsChanged(WPARAM, LPARAM);
    LRESULT nextControl(WPARAM control, LPARAM byWindow);
    LRESULT showReadout(WPARAM, LPARAM);

    // DirectSoundEngineHost.
    void showPlaying() override;
    void showStopped() override;
    uintptr_t windowHandle() override;
    void postStatus(const char* text) override;
    void requestMessage(const char* text, const char* caption) override;

    void startPlaying();
    void stopPlaying();
    // The output went away under the playing page: stop and say so once.
    void outputLost();
    void repaintButtons();
    framework::WaveRecording::Hooks recordingHooks();

    void makeSliders();
    void setSlidersFromSettings();
    void volumeMoved();
    void pitchMoved();
    void timbreMoved();

    framework::PageServices& services;
    std::shared_ptr<framework::MessagePort> port;
    std::unique_ptr<platform::WaveOutApi> waveOut;
    std::unique_ptr<platform::DirectSoundLibrary> library;
    std::unique_ptr<engine::DirectSoundEngine> engine;
    // The format the buffer was opened with at the last Play.
    platform::WaveFormatPcm playFormat;
    framework::WaveRecording recording;
    framework::OutputWatch outputWatch;
    bool closing = false;

    // The latest step's readout, waiting for the GUI thread.
    std::mutex readoutLock;
    std::array<char, 64> readout{};
    std::atomic<bool> readoutPosted{false};

    QPointer<controls::CoolButton> playButton;
    QPointer<controls::CoolButton> stopButton;
    QPointer<controls::TVSlider> volume;
    QPointer<controls::TVSlider> pitch;
    QPointer<controls::TVSlider> timbre;
};
