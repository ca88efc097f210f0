#pragma once
// TAppDialog: the "Wave" sound page. Play and Stop, the four tone sliders, the Wave engine it owns
// and the WAV file it records into; it answers the page messages the frame and tab window send.
//
// Thread: GUI, every operation; only postBufferDone runs elsewhere (any thread but audio: the
// engine's output notifier), and it only posts to the page.

#include <QPointer>
#include <memory>

#include "controls/context_help_win.h"
#include "engine/wave/wave_engine.h"
#include "engine/wave/wave_engine_host.h"
#include "files/wave_file.h"
#include "framework/dialog.h"
#include "framework/output_watch.h"
#include "framework/page_services.h"
#include "framework/recording_rescue.h"
#include "framework/wave_recording.h"

namespace controls {
class CoolButton;
class TVSlider;
}  // namespace controls
class QLabel;

class TAppDialog : public framework::TDialog,
                   public controls::ContextHelpWin,
                   public framework::RecordingRescue,
                   private engine::WaveEngineHost {
  public:
    // With a parent the page is a child window (as in the tab window); the page keeps a
    // reference to `services`, which must outlive it.
    TAppDialog(QWidget* parent, framework::PageServices& services);
    // Stops playing first: no output outlives the page.
    ~TAppDialog() override;

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
    LIRVETO_RESPONSE_TABLE2(TAppDialog, framework::TDialog, controls::ContextHelpWin);

    using LRESULT = framework::LRESULT;
    using WPARAM = framework::WPARAM;
    using LPARAM = framework::LPARAM;

    LRESULT cmPlay(WPARAM, LPARAM);
    LRESULT cmStop(WPARAM, LPARAM);
    LRESULT waveDone(WPARAM session, LPARAM header);
    LRESULT toggle(WPARAM, LPARAM);
    LRESULT stop(WPARAM, LPARAM);
    LRESULT restart(WPARAM, LPARAM);
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

    // WaveEngineHost.
    void postBufferDone(platform::WaveHeader* header, uint32_t playSession) noexcept override;
    void postRestart() override;
    void postToggle() override;
    void showStatus(const char* text) override;
    void pumpWaitingMessages() override;

    void startPlaying();
    void stopPlaying();
    // The output went away under the playing page: stop and say so once.
    void outputLost();
    // Play held while playing, Stop held while stopped.
    void showPlayState();
    void repaintButtons();

    framework::WaveRecording::Hooks recordingHooks();

    void makeSliders();
    void setSlidersFromSettings();
    void volumeMoved();
    void pitchMoved();
    void vibratoMoved();
    void timbreMoved();

    framework::PageServices& services;
    std::shared_ptr<framework::MessagePort> port;
    std::unique_ptr<platform::WaveOutApi> waveOut;
    std::unique_ptr<engine::WaveEngine> engine;
    // The format the output was opened with at the last Play.
    platform::WaveFormatPcm playFormat;
    framework::WaveRecording recording;
    framework::OutputWatch outputWatch;

    QPointer<controls::CoolButton> playButton;
    QPointer<controls::CoolButton> stopButton;
    QPointer<controls::TVSlider> volume;
    QPointer<controls::TVSlider> pitch;
    QPointer<controls::TVSlider> vibrato;
    QPointer<controls::TVSlider> timbre;
};
