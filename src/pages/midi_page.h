#pragma once
// TMidiDialog: the "Midi" sound page. Play and Stop, the volume and the two pitch sliders, the
// instrument and the bend range, the MIDI engine it owns and the MIDI file it records into; it
// answers the page messages the frame and tab window send.
//
// Threads: GUI thread throughout; only showStatus (the engine's tick) runs on the timer thread,
// and it only posts to the page.

#include <QPointer>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "controls/context_help_win.h"
#include "engine/midi/midi_engine.h"
#include "engine/midi/midi_engine_host.h"
#include "files/midi_file.h"
#include "framework/dialog.h"
#include "framework/output_watch.h"
#include "framework/page_services.h"
#include "framework/recording_rescue.h"

namespace controls {
class CoolButton;
class TVSlider;
}  // namespace controls
class QComboBox;
class QLineEdit;

class TMidiDialog : public framework::TDialog,
                    public controls::ContextHelpWin,
                    public framework::RecordingRescue,
                    private engine::MidiEngineHost {
  public:
    // The instrument list: name and the zero-based General MIDI program it selects.
    struct Instrument {
        const char* name;
        int program;
    };
    static const Instrument instruments[6];

    // With a parent the page is a child window (as in the tab window); the page keeps a
    // reference to `services`, which must outlive it.
    TMidiDialog(QWidget* parent, framework::PageServices& services);
    // Stops playing first: no tick outlives the page.
    ~TMidiDialog() override;

    // The ask-to-save: false only when the user cancels.
    bool canClose() override;
    // Ending without asking (a signal): as RecordingRescue says; every recording is left
    // finished, as a standard MIDI file.
    QString rescueRecording(const QString& folder, const QString& stem) override;

    bool isPlaying() const { return engine->isPlaying(); }
    // The output the page plays through; the Options sheet lists its devices.
    platform::MidiOutApi& midiOutput() const { return *midiOut; }
    const files::MidiFile& recordingFile() const { return *file; }
    controls::TVSlider* slider(int id) const;

  protected:
    QWidget* createItem(const framework::DialogItem& item) override;
    void setupWindow() override;

  private:
    LIRVETO_RESPONSE_TABLE2(TMidiDialog, framework::TDialog, controls::ContextHelpWin);

    using LRESULT = framework::LRESULT;
    using WPARAM = framework::WPARAM;
    using LPARAM = framework::LPARAM;

    LRESULT cmPlay(WPARAM, LPARAM);
    LRESULT cmStop(WPARAM, LPARAM);
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
    LRESULT statusReady(WPARAM, LPARAM);
    LRESULT playOnStart(WPARAM, LPARAM);

    // MidiEngineHost.
    void showStatus(const char* text) override;
    void showMessage(const char* text, const char* caption) override;
    void requestMessage(const char* text, const char* caption) override;

    // A box shown later from the event loop; a request of the same cause waiting or showing is
    // not shown twice. Empty cause: every request is its own box.
    void requestMessage(const std::string& text, const std::string& caption,
                        const std::string& cause = {});

    void startPlaying();
    void stopPlaying();
    // The synth's output went away under the playing page: stop and say so once.
    void outputLost();
    // Play held while playing, Stop held while stopped.
    void showPlayState();
    void repaintButtons();

    void makeSliders();
    void makeInstrumentList();
    void setControlsFromSettings();
    void volumeMoved();
    void lowPitchMoved();
    void highPitchMoved();
    void showLowPitch();
    void showHighPitch();
    void showInstrument();
    void instrumentTyped(const QString& text);
    void instrumentChosen(int index);
    void bendRangeChanged();

    // File commands (midi_page_files.cpp).
    bool askToSave();
    // Whether the user confirmed the dialog; `saved` tells whether the file was then named.
    bool saveAs(bool* saved = nullptr);
    // Finishes the recording; "oops" when its end of track could not be written.
    void closeFile();
    void showTitle();
    void reportFileFailure(const std::string& what);

    framework::PageServices& services;
    std::shared_ptr<framework::MessagePort> port;
    std::unique_ptr<platform::MidiOutApi> midiOut;
    struct OwnerToken {
    } ownerToken;
    std::unique_ptr<files::MidiFile> file;
    std::unique_ptr<engine::MidiEngine> engine;
    framework::OutputWatch outputWatch{[this] { return engine->outputLost(); },
                                       [this] { outputLost(); }};

    // The latest readout from the tick; one post at a time carries it to the GUI thread.
    std::mutex statusMutex;
    std::string latestStatus;
    std::atomic<bool> statusPosted{false};

    QPointer<controls::CoolButton> playButton;
    QPointer<controls::CoolButton> stopButton;
    QPointer<controls::TVSlider> volume;
    QPointer<controls::TVSlider> lowPitch;
    QPointer<controls::TVSlider> highPitch;
    QPointer<QComboBox> instrumentBox;
    QPointer<QLineEdit> bendRangeBox;
};
