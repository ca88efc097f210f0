#pragma once
// What every sound page does the same way: the Play and Stop buttons with their held states,
// toggle, play and stop from the frame, PlayOnStart and MinimizeOnStart, the stop when its tab is
// left, the watch on the sound output, sliders laid out from a table, the status text a worker
// thread hands to the GUI, the file commands over the page's recording, the save check and the
// rescue on a signal. A page supplies its controls, its engine and its own messages.
//
// Thread: GUI, every operation, except publishStatus (any thread).

#include <QKeyCombination>
#include <QPointer>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controls/context_help_win.h"
#include "controls/cool_button.h"
#include "controls/tv_slider.h"
#include "files/performance_replay.h"
#include "framework/dialog.h"
#include "framework/output_watch.h"
#include "framework/page_services.h"
#include "framework/recording_rescue.h"
#include "pages/dropout_notice.h"
#include "pages/recording.h"
#include "platform/latest_text.h"

namespace controls {
struct ToneSlider;
}  // namespace controls

namespace pages {

class SoundPage : public framework::TDialog,
                  public controls::ContextHelpWin,
                  public framework::RecordingRescue {
  public:
    // The ids every page gives its buttons.
    static constexpr int playButtonId = 105;
    static constexpr int stopButtonId = 106;
    // How often a playing page shows the newest readout a worker thread published: about as often
    // as the Wave page shows its own (once a buffer). A number that changes every display frame
    // is a blur to read, and each change shown costs the GUI thread a repaint and a trip to the
    // display server. It rides on the output watch's clock.
    static constexpr int readoutIntervalMs = framework::OutputWatch::kIntervalMs;

    // With a parent the page is a child window (as in the tab window); the page keeps a
    // reference to `services`, which must outlive it.
    SoundPage(QWidget* parent, const framework::DialogTemplate& dialogTemplate,
              const controls::HelpPair* helpTable, int helpContext,
              framework::PageServices& services);
    ~SoundPage() override;

    // The save check: false only when the user cancels.
    bool canClose() override { return recording().saveCheck(); }
    QString rescueRecording(const QString& folder, const QString& stem) override;
    QString rescuePerformance(const QString& folder, const QString& stem, bool replace) override;

    bool isPlaying() const { return enginePlaying(); }
    // Plays `performance` (one of this page's) again in real time, its reads in place of the
    // pointer's and its settings in force until it ends (Stop, Space, or its last read), then the
    // settings as they were. Nothing is recorded or kept meanwhile, so a recording open refuses
    // it, with a box. False when it did not start.
    bool playBack(const files::Performance& performance);
    bool playingBack() const { return replay != nullptr; }
    // Where the play back's pointer is now; nothing while the page plays from the real one.
    std::optional<platform::CursorPosition> replayedPointer() const {
        return replay ? replay->lastGiven() : std::nullopt;
    }
    // The page as a kept play names it.
    virtual files::PerformancePage performancePage() const = 0;
    controls::TVSlider* slider(int id) const;

  protected:
    // What the page plays with. startEngine and stopEngine do nothing when there is nothing to do.
    virtual void startEngine() = 0;
    virtual void stopEngine() = 0;
    virtual bool enginePlaying() const = 0;
    virtual bool engineOutputLost() = 0;
    virtual Recording& recording() = 0;
    // The page's own controls, at window set-up, after the buttons.
    virtual void setupControls() = 0;
    // The settings changed under the page (a settings file, the Options sheet).
    virtual void takeSettings() = 0;
    // The View choice changed: a page whose engine tells its readout on the GUI thread tells it
    // anew; the others' steps see the new choice themselves.
    virtual void retellReadout() {}
    // What the page's sound carries over from one play to the next that no setting holds: the
    // DirectSound stream's frequency, which a play slews from (-1 where nothing is carried).
    // A play back starts from where its play did.
    virtual int64_t carriedFromHz() const { return -1; }
    virtual void carryFrom(int64_t /*hz*/) {}
    // Which page a kept performance names.

    // Every page's derived destructor calls this first: nothing the engine still reports may
    // reach a page being taken apart, and no output outlives it.
    void shutDown();

    void startPlaying();
    void stopPlaying();
    // Play held while playing, Stop held while stopped; the watch follows.
    void showPlayState();
    void repaintButtons();
    controls::CoolButton* playButton() const { return play; }

    // A worker thread's readout for the status bar: while the page plays, the GUI shows the
    // newest every readoutIntervalMs.
    void publishStatus(const char* text);
    // False for a page whose engine shows its readout itself on the GUI thread: it needs no clock.
    virtual bool publishesReadouts() const { return true; }
    void forgetStatus() { statusText.clear(); }
    // A readout an engine shows itself on the GUI thread; it waits while a dropout notice stands.
    void showOwnReadout(const char* text);

    struct SliderPlace {
        int id;
        int frame;  // the frame static that marks its place
        int maximum;
        std::function<void()> moved;
    };
    void makeSliders(std::initializer_list<SliderPlace> places, int thumbBitmap);
    // A tone slider (Wave and DirectSound pages): its setting, shown in its value label.
    struct ToneSliderPlace {
        int id;
        int frame;
        int valueLabel;
        int maximum;
        const controls::ToneSlider& tone;
    };
    // `moved` runs after a slider gave its setting (the Timbre slider rebuilds the wave table).
    void makeToneSliders(std::initializer_list<ToneSliderPlace> places, int thumbBitmap,
                         const std::function<void(const controls::ToneSlider&)>& moved);
    // Each tone slider where its setting says; the handlers run, so the labels follow.
    void placeToneSliders();
    // The key puts the focus on the slider wherever it is in the window; id 0 takes the key so
    // that it does nothing on this page.
    void focusSliderOnKey(QKeyCombination key, int sliderId);

    QWidget* createItem(const framework::DialogItem& item) override;
    void setupWindow() override;

    framework::PageServices& services;
    std::shared_ptr<framework::MessagePort> port;
    // The cursor the page's engine reads: the application's, each read of a play kept.
    files::PerformanceCapture capture;

    using LRESULT = framework::LRESULT;
    using WPARAM = framework::WPARAM;
    using LPARAM = framework::LPARAM;

  private:
    LIRVETO_RESPONSE_TABLE2(SoundPage, framework::TDialog, controls::ContextHelpWin);

    LRESULT cmPlay(WPARAM, LPARAM);
    LRESULT cmStop(WPARAM, LPARAM);
    LRESULT toggle(WPARAM, LPARAM);
    LRESULT stop(WPARAM, LPARAM);
    LRESULT playMessage(WPARAM, LPARAM);
    LRESULT playOnStart(WPARAM, LPARAM);
    LRESULT fileNew(WPARAM, LPARAM);
    LRESULT fileOpen(WPARAM, LPARAM);
    LRESULT fileSaveAs(WPARAM, LPARAM);
    LRESULT fileSave(WPARAM, LPARAM);
    LRESULT fileClose(WPARAM, LPARAM);
    LRESULT queryNotEmpty(WPARAM, LPARAM);
    LRESULT updateTitle(WPARAM, LPARAM);
    LRESULT queryFileOpen(WPARAM, LPARAM);
    LRESULT settingsChanged(WPARAM, LPARAM);
    LRESULT viewChanged(WPARAM, LPARAM);
    LRESULT nextControl(WPARAM control, LPARAM byWindow);
    LRESULT keepPerformance(WPARAM, LPARAM);

    // The output went away under the playing page: stop and say so once.
    void outputLost();
    // A play that ended (by Stop or by itself) goes into the history.
    void keepEndedPlay();
    files::PerformanceHistory& performances();
    void showReadout();
    void tellDropouts();

    QPointer<controls::CoolButton> play;
    QPointer<controls::CoolButton> stopButton;
    std::vector<std::pair<int, QPointer<controls::TVSlider>>> sliders;
    std::vector<std::pair<int, const controls::ToneSlider*>> toneSliders;
    framework::OutputWatch outputWatch;
    DropoutNotice dropouts;
    platform::LatestText statusText;
    bool showedPlaying = false;  // the last showPlayState saw the engine playing
    std::string readout;         // the last text taken, its room kept between frames
    bool closing = false;
    files::PerformanceHistory ownPerformances;
    // A play back in progress, and the played settings' values from before it.
    std::unique_ptr<files::ReadReplay> replay;
    std::vector<int32_t> settingsBeforePlayBack;
    void endPlayBack();
};

}  // namespace pages
