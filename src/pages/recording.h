#pragma once
// A sound page's take: File New, Open, Save, Save As and Close, the save check, the title and the
// rescue on a signal, the same on every page. The page's engine appends to the file while it
// plays; a WAV and a MIDI recording differ only in the steps below the commands.
//
// Thread: GUI. Every file operation holds the lock the engine writes under (none when it writes on
// the GUI thread), and no box or chooser opens while it is held, so the sound never waits for the
// user. Close, the save check of a closing window and the rescue stop the page before the file
// is finished, so the engine ends what it sounds (a MIDI take gets its note-off) first. New and
// Open on a sample page finish the old take under the lock and play on into the next one; on the
// Midi page they stop first, before anything is asked.

#include <QAbstractButton>
#include <QPointer>
#include <QString>
#include <functional>
#include <mutex>
#include <string>

#include "files/riff_file.h"
#include "framework/page_services.h"

class QWidget;

namespace pages {

class Recording {
  public:
    struct Kind {
        QString filter;              // the choosers' filter, e.g. "Wave files (*.wav)"
        QString suffix;              // without the dot
        std::string changedCaption;  // the save question's caption
        // A take must begin with what Play sends (a MIDI take's program and volume), so the page
        // stops before New or Open asks anything; a WAV take may start while the page plays.
        bool newTakeStopsThePage;
    };

    // `page` parents the choosers and boxes; `stopPage` stops it playing. Both must outlive the
    // recording.
    Recording(QWidget& page, framework::PageServices& services, Kind kind,
              std::function<void()> stopPage);
    virtual ~Recording() = default;
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    // Before Play: false, after telling the user, when playing must not record into this file.
    // Otherwise hands the file to the engine again, which lifts a failed write's stop.
    bool prepareToPlay();

    // Before New and Open and as the can-close test: false only when the user keeps the take.
    bool saveCheck();
    // Whether the user confirmed the chooser; `saved` tells whether the file was then named.
    bool saveAs(bool* saved = nullptr);
    void fileNew();
    void fileOpen();
    // An unnamed take is saved by naming it (its Save As result); else brought up to date.
    bool fileSave();
    void fileClose();
    bool isOpen() const;
    bool holdsSound() const;

    // The button whose text says whether playing records ("&Record") or not ("&Play").
    void setPlayButton(QAbstractButton* button) { playButton = button; }
    // The main window's caption and the Play button's text.
    void showTitle();
    // The signal rescue (RecordingRescue): stops the page, keeps an unnamed take in `folder`.
    QString rescue(const QString& folder, const QString& stem);

  protected:
    virtual files::RiffFile& file() = 0;
    virtual const files::RiffFile& file() const = 0;
    // Held while the engine writes; an empty lock when it writes on the GUI thread.
    virtual std::unique_lock<std::mutex> lockFile() const = 0;
    // The engine records into the file (again); a failed write's stop ends.
    virtual void attach() = 0;
    // Starts a new temporary take; false when it could not be made.
    virtual bool startNewFile() = 0;
    // Whether `path`, an existing file, may be recorded into; tells the user why not.
    virtual bool mayOpen(const std::string& path) = 0;
    virtual std::string openFailure(const std::string& path) const = 0;
    // Whether playing now may add to the open file; tells the user why not.
    virtual bool mayPlay() { return true; }
    // Closes the open file under the lock; what went wrong, or empty.
    virtual std::string finish() = 0;

    // Shows `what` ("Can't open x.wav.") completed by the file's reason for its last failure.
    void reportFailure(const std::string& what);

    QWidget& page;
    framework::PageServices& services;

  private:
    // Whether finishing the open file stops the page first.
    enum class Finishing { stopsThePage, playsOn };

    bool saveCheck(Finishing finishing);
    // Finishes the open file, saying what went wrong.
    void closeFile(Finishing finishing);
    void discard(Finishing finishing);
    // How New and Open finish the take they replace.
    Finishing replacing() const;

    Kind kind;
    std::function<void()> stopPage;
    QPointer<QAbstractButton> playButton;
};

// The name as the file system spells it, and back.
std::string fileSystemName(const QString& name);
QString shownName(const std::string& name);

}  // namespace pages
