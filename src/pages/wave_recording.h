#pragma once
// The WAV recording of a sample page (Wave, DirectSound): File New, Open, Save As, Save and
// Close, the save check, the title, and keeping an unnamed recording when the program ends on a
// signal. The page's engine appends to the file while it plays.
//
// Thread: GUI. When the engine writes from another thread, the page gives the lock the engine
// holds while it writes: every file operation here takes it, and no box or chooser opens while it
// is held, so the stream never waits for the user.

#include <QAbstractButton>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "files/wave_file.h"
#include "framework/page_services.h"

class QWidget;

namespace framework {

class WaveRecording {
  public:
    struct Hooks {
        // The engine records into `file` (or nothing) from now on.
        std::function<void(files::WaveFile* file)> attach;
        // The format of the samples the engine writes now: the output's as it was opened while
        // playing, the settings' otherwise.
        std::function<platform::WaveFormatPcm()> writtenFormat;
        // Held by the engine while it writes; null when it writes on the GUI thread.
        std::mutex* fileLock = nullptr;
    };

    // `page` parents the choosers; both must outlive the recording.
    WaveRecording(QWidget& page, PageServices& services, Hooks hooks);

    const files::WaveFile& file() const { return *wave; }

    // The output format as the settings give it now.
    static platform::WaveFormatPcm outputFormat();

    // False, after telling the user, when playing would add samples of another format to the
    // open recording.
    bool mayPlay(const platform::WaveFormatPcm& output);

    // Before New and Open and as the can-close test: false only when the user keeps the recording.
    bool saveCheck();
    // Whether the user confirmed the chooser; `saved` tells whether the file was then named.
    bool saveAs(bool* saved = nullptr);
    void fileNew();
    void fileOpen();
    // A Save As when the recording has no name yet; its result then, else false.
    bool fileSave();
    void fileClose();
    bool isOpen() const;
    bool holdsSound() const;

    // The button whose text says whether playing records ("&Record") or not ("&Play").
    void setPlayButton(QAbstractButton* button) { playButton = button; }
    // The main window's caption and the Play button's text.
    void showTitle();
    // RecordingRescue, for a page that has stopped playing.
    QString rescue(const QString& folder, const QString& stem);

  private:
    std::unique_lock<std::mutex> lockFile() const;
    void reportFailure(const std::string& what);

    QWidget& page;
    PageServices& services;
    Hooks hooks;
    std::unique_ptr<files::WaveFile> wave;
    QPointer<QAbstractButton> playButton;
};

}  // namespace framework
