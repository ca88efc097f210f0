#pragma once
// MidiPage (TMidiDialog in the original design): the "Midi" sound page. The volume and the two
// pitch sliders, the instrument and the bend range, the MIDI engine it owns and the MIDI take it
// records into.
//
// Threads: GUI thread throughout; only showStatus and requestMessage (the engine's tick) run on
// the timer thread, and they only hand their text to the GUI thread.

#include <QPointer>
#include <memory>
#include <string>

#include "engine/midi/midi_engine.h"
#include "engine/midi/midi_engine_host.h"
#include "files/midi_file.h"
#include "pages/midi_page_template.h"
#include "pages/midi_recording.h"
#include "pages/sound_page.h"
#include "platform/lazy_midi_out.h"

class QComboBox;
class QLineEdit;

namespace pages {

class MidiPage final : public SoundPage, private engine::MidiEngineHost {
  public:
    // The instrument list: name and the zero-based General MIDI program it selects.
    struct Instrument {
        const char* name;
        int program;
    };
    static const Instrument instruments[6];

    MidiPage(QWidget* parent, framework::PageServices& services);
    // Stops playing first: no tick outlives the page.
    ~MidiPage() override;

    // The output the page plays through; the Options sheet lists its devices. It is made (and the
    // built-in synth's SoundFont loaded) when the page is first shown or the output first used.
    platform::MidiOutApi& midiOutput() { return midiOut; }
    const files::MidiFile& recordingFile() const { return *file; }

  protected:
    QWidget* createItem(const framework::DialogItem& item) override;
    void showEvent(QShowEvent* event) override;

  private:
    LIRVETO_RESPONSE_TABLE(MidiPage, SoundPage);

    framework::LRESULT restart(framework::WPARAM, framework::LPARAM);

    void startEngine() override { engine->start(); }
    void stopEngine() override { engine->stop(); }
    bool enginePlaying() const override { return engine->isPlaying(); }
    bool engineOutputLost() override { return engine->outputLost(); }
    Recording& recording() override { return take; }
    void setupControls() override;
    void takeSettings() override;
    files::PerformancePage performancePage() const override { return files::PerformancePage::midi; }

    // MidiEngineHost.
    void showStatus(const char* text) override { publishStatus(text); }
    void showMessage(const char* text, const char* caption) override;
    void requestMessage(const char* text, const char* caption) override;

    controls::TVSlider* volume() const { return slider(midipage::volumeSlider); }
    controls::TVSlider* lowPitch() const { return slider(midipage::lowPitchSlider); }
    controls::TVSlider* highPitch() const { return slider(midipage::highPitchSlider); }

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

    platform::LazyMidiOut midiOut;
    struct OwnerToken {
    } ownerToken;
    std::unique_ptr<files::MidiFile> file;
    std::unique_ptr<engine::MidiEngine> engine;
    MidiRecording take;

    QPointer<QComboBox> instrumentBox;
    QPointer<QLineEdit> bendRangeBox;
};

}  // namespace pages
