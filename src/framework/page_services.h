#pragma once
// What the application hands each sound page: the services a page reaches outside itself. The
// application gives the real ones; tests give doubles.

#include <QString>
#include <functional>
#include <memory>

#include "files/performance_capture.h"
#include "platform/cursor_source.h"
#include "platform/dsound/dsound_api.h"
#include "platform/message_box.h"
#include "platform/midiout_api.h"
#include "platform/mmtimer_api.h"
#include "platform/waveout/wave_out_api.h"

namespace framework {

// The main window's status bar text. GUI thread.
class StatusText {
  public:
    virtual ~StatusText() = default;
    virtual void setStatusText(const QString& text) = 0;
};

// The system's file choosers, as the pages use them. An empty result means the user cancelled.
// GUI thread.
class FileDialogs {
  public:
    virtual ~FileDialogs() = default;
    // title: the dialog's window title; filter: Qt form, e.g. "Wave files (*.wav)";
    // defaultSuffix without the dot.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& folder, const QString& defaultSuffix) = 0;
    // Asks before overwriting an existing file; the chosen folder must exist.
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& folder, const QString& defaultSuffix) = 0;
};

struct PageServices {
    // Boxes the page opens from its own commands, waiting for the answer. GUI thread.
    platform::MessageBox& messageBox;
    // Boxes asked for from notification handlers and timer steps (see MessageBoxService).
    platform::MessageBoxQueue& messageQueue;
    // Read on the GUI thread by the Wave page and on the timer thread by the timer-driven pages:
    // the application's source answers from any thread.
    platform::CursorSource& cursor;
    StatusText& status;
    FileDialogs& fileDialogs;
    // Makes the wave output a page plays through (real: SDL2; tests: a virtual device or fake).
    std::function<std::unique_ptr<platform::WaveOutApi>()> makeWaveOut;
    // Makes the MIDI output a page plays through (real: the built-in synth and the sequencer
    // ports; tests: virtual devices). Empty: the page finds no MIDI device.
    std::function<std::unique_ptr<platform::MidiOutApi>()> makeMidiOut = {};
    // The multimedia timer the timer-driven pages tick on; null: the process's shared timer.
    platform::TimerApi* timer = nullptr;
    // Makes the DirectSound library the DirectSound page plays through (real: over SDL2; tests:
    // virtual devices or fakes). Empty: the library is missing, which Play reports.
    std::function<std::unique_ptr<platform::DirectSoundLibrary>()> makeDirectSound = {};
    // The plays kept since the program started, shared by the pages; null: each page keeps its
    // own. GUI thread.
    files::PerformanceHistory* performances = nullptr;
};

}  // namespace framework
