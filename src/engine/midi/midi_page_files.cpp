// The Midi page's recording: File New, Open, Save As, Save, Close, the ask-to-save and the title.
// Every command holds the engine's recording lock while it works on the file, so that no tick
// writes into a file being closed, renamed or replaced; never while a dialog or box is open.

#include <QFile>

#include "controls/cool_button.h"
#include "engine/midi/midi_page.h"
#include "framework/window_title.h"

using framework::LPARAM;
using framework::LRESULT;
using framework::WPARAM;
using platform::MessageBoxStyle;
namespace answer = platform::MessageBoxResult;

namespace {

const QString midiFilter = QStringLiteral("MIDI files (*.mid)");
const QString startFolder = QStringLiteral(".");
const QString midiSuffix = QStringLiteral("mid");

std::string fileSystemName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

}  // namespace

QString TMidiDialog::rescueRecording(const QString& folder, const QString& stem) {
    stopPlaying();
    QString kept;
    auto lock = engine->lockRecording();
    if (file->isOpen() && file->isTemporary()) {
        // The start-up messages alone are no recording worth keeping.
        if (file->isModified() && file->length() > 0) {
            const QString name = framework::freeFileName(folder, stem, midiSuffix);
            kept = file->saveAs(fileSystemName(name).c_str())
                       ? name
                       : QFile::decodeName(QByteArray::fromStdString(file->fileName()));
        } else {
            file->discard();
        }
    }
    if (file->isOpen()) {
        file->close();  // the standard layout, which other programs read
    }
    return kept;
}

bool TMidiDialog::canClose() {
    return askToSave();
}

bool TMidiDialog::askToSave() {
    if (!file->isOpen()) {
        return true;
    }
    if (!file->isModified()) {
        if (file->isTemporary()) {
            auto lock = engine->lockRecording();
            file->discard();
        }
        return true;
    }
    if (file->isTemporary()) {
        const int choice = services.messageBox.show("Do you want to save?", "MIDI file has changed",
                                                    MessageBoxStyle::YesNoCancelQuestion);
        if (choice == answer::IDCANCEL) {
            return false;
        }
        if (choice != answer::IDYES) {
            auto lock = engine->lockRecording();
            file->discard();
            return true;
        }
        // A recording the user wanted kept stays open until it really has a name: a temporary
        // file closed without one would be left behind where nobody looks.
        bool saved = false;
        if (!saveAs(&saved) || !saved) {
            return false;
        }
    }
    closeFile();
    return true;
}

bool TMidiDialog::saveAs(bool* saved) {
    if (saved != nullptr) {
        *saved = false;
    }
    if (!file->isOpen()) {
        return false;
    }
    const QString name = services.fileDialogs.saveFileName(this, QStringLiteral("Save As"),
                                                           midiFilter, startFolder, midiSuffix);
    if (name.isEmpty()) {
        return false;
    }
    bool done = false;
    {
        auto lock = engine->lockRecording();
        done = file->saveAs(fileSystemName(name).c_str());
        engine->recordingChanged();
    }
    if (done) {
        showTitle();
        if (saved != nullptr) {
            *saved = true;
        }
    } else {
        reportFileFailure("Can't save the recording as " + fileSystemName(name) + ".");
    }
    return true;
}

void TMidiDialog::closeFile() {
    bool shortEnd = false;
    {
        auto lock = engine->lockRecording();
        if (!file->isOpen()) {
            return;
        }
        file->close();
        shortEnd = file->endOfTrackWasShort();
        engine->recordingChanged();
    }
    if (shortEnd) {
        requestMessage("oops", "oops", "midi end of track");
    }
}

void TMidiDialog::reportFileFailure(const std::string& what) {
    std::string text = what;
    if (!file->lastReport().empty()) {
        text += "\n" + file->lastReport();
    }
    requestMessage(text, framework::programName);
}

LRESULT TMidiDialog::fileNew(WPARAM, LPARAM) {
    stop(0, 0);
    if (!askToSave()) {
        return 0;
    }
    closeFile();
    bool made = false;
    {
        auto lock = engine->lockRecording();
        made = file->newFile(nullptr);
        engine->recordingChanged();
    }
    if (!made) {
        reportFileFailure("Can't create a temporary file for the recording.");
    }
    showTitle();
    return 0;
}

LRESULT TMidiDialog::fileOpen(WPARAM, LPARAM) {
    stop(0, 0);
    if (!askToSave()) {
        return 0;
    }
    const QString name = services.fileDialogs.openFileName(this, QStringLiteral("Open"), midiFilter,
                                                           startFolder, midiSuffix);
    if (name.isEmpty()) {
        return 0;
    }
    const std::string path = fileSystemName(name);
    closeFile();
    bool opened = false;
    {
        auto lock = engine->lockRecording();
        opened = QFile::exists(name) && file->open(path.c_str());
        engine->recordingChanged();
    }
    if (!opened) {
        reportFileFailure(path + " is not a MIDI recording Lirveto can record into.");
    }
    showTitle();
    return 0;
}

LRESULT TMidiDialog::fileSaveAs(WPARAM, LPARAM) {
    return saveAs() ? 1 : 0;
}

LRESULT TMidiDialog::fileSave(WPARAM, LPARAM) {
    bool failed = false;
    {
        auto lock = engine->lockRecording();
        failed = file->isOpen() && !file->bringUpToDate();
    }
    if (failed) {
        reportFileFailure("Can't save the recording " + file->fileName() + ".");
    }
    return 0;
}

LRESULT TMidiDialog::fileClose(WPARAM, LPARAM) {
    // A recording without a name would be left behind in the temporary folder: ask first.
    if (file->isOpen() && file->isTemporary() && file->isModified()) {
        if (!askToSave()) {
            return 0;
        }
    }
    closeFile();
    showTitle();
    return 0;
}

LRESULT TMidiDialog::queryNotEmpty(WPARAM, LPARAM) {
    return file->isOpen() && file->length() > 0 ? 1 : 0;
}

LRESULT TMidiDialog::queryFileOpen(WPARAM, LPARAM) {
    return file->isOpen() ? 1 : 0;
}

LRESULT TMidiDialog::updateTitle(WPARAM, LPARAM) {
    showTitle();
    return 0;
}

void TMidiDialog::showTitle() {
    if (playButton != nullptr) {
        playButton->setText(file->isOpen() ? QStringLiteral("&Record") : QStringLiteral("&Play"));
    }
    const QString fileTitle =
        file->isOpen() ? QFile::decodeName(QByteArray::fromStdString(file->title())) : QString();
    QWidget::window()->setWindowTitle(framework::composeWindowTitle(fileTitle));
}
