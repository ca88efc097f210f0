// The Wave page's recording: File New, Open, Save As, Save, Close, the save check and the title.

#include <QFile>
#include <QFileInfo>

#include "controls/cool_button.h"
#include "engine/wave/wave_page.h"
#include "files/pcm_wave_format.h"
#include "framework/window_title.h"
#include "settings/settings_values.h"

using framework::LPARAM;
using framework::LRESULT;
using framework::WPARAM;
using platform::MessageBoxStyle;
namespace answer = platform::MessageBoxResult;

namespace {

const QString waveFilter = QStringLiteral("Wave files (*.wav)");
const QString startFolder = QStringLiteral(".");
const QString waveSuffix = QStringLiteral("wav");

std::string fileSystemName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

}  // namespace

platform::WaveFormatPcm TAppDialog::outputFormat() {
    return files::pcmWaveFormat(settings::stereo, settings::highRate, settings::sixteenBit);
}

bool TAppDialog::samePcm(const platform::WaveFormatPcm& a, const platform::WaveFormatPcm& b) {
    return a.formatTag == b.formatTag && a.channels == b.channels &&
           a.samplesPerSec == b.samplesPerSec && a.bitsPerSample == b.bitsPerSample &&
           a.blockAlign == b.blockAlign;
}

std::string TAppDialog::describe(const platform::WaveFormatPcm& format) {
    if (format.formatTag != platform::mm::WAVE_FORMAT_PCM) {
        return "not plain PCM";
    }
    std::string text = std::to_string(format.samplesPerSec) + " Hz, " +
                       std::to_string(format.bitsPerSample) + "-bit, ";
    text += format.channels == 1 ? "mono" : format.channels == 2 ? "stereo" : "multichannel";
    return text;
}

bool TAppDialog::canClose() {
    return saveCheck();
}

bool TAppDialog::saveCheck() {
    if (!file->isOpen()) {
        return true;
    }
    if (file->isModified()) {
        if (file->isTemporary()) {
            const int choice =
                services.messageBox.show("Do you want to save?", "Sound file has changed",
                                         MessageBoxStyle::YesNoCancelQuestion);
            if (choice == answer::IDCANCEL) {
                return false;
            }
            if (choice == answer::IDNO) {
                file->discard();
                return true;
            }
            if (choice != answer::IDYES) {
                services.messageBox.show("error", "error", MessageBoxStyle::OkExclamation);
                return true;
            }
            // A recording the user wanted kept stays open until it really has a name.
            bool saved = false;
            if (!saveAs(&saved) || !saved) {
                return false;
            }
        }
        if (!file->close()) {
            reportFileFailure("Can't close the recording " + file->fileName() + ".");
        }
        return true;
    }
    if (file->isTemporary()) {
        file->discard();
    }
    return true;
}

QString TAppDialog::rescueRecording(const QString& folder, const QString& stem) {
    stopPlaying();
    QString kept;
    if (file->isOpen() && file->isTemporary()) {
        if (file->isModified() && file->length() > 0) {
            const QString name = framework::freeFileName(folder, stem, waveSuffix);
            if (file->saveAs(fileSystemName(name).c_str())) {
                kept = name;
            } else {
                // Closing a changed temporary file keeps it: say where it stayed.
                kept = QFile::decodeName(QByteArray::fromStdString(file->fileName()));
                file->bringUpToDate();
                file->close();
            }
        } else {
            file->discard();
        }
    }
    if (file->isOpen() && !file->isTemporary()) {
        file->close();
    }
    engine->setRecordingFile(file.get());
    return kept;
}

bool TAppDialog::saveAs(bool* saved) {
    if (saved != nullptr) {
        *saved = false;
    }
    if (!file->isOpen()) {
        return false;
    }
    const QString name =
        services.fileDialogs.saveFileName(this, waveFilter, startFolder, waveSuffix);
    if (name.isEmpty()) {
        return false;
    }
    if (file->saveAs(fileSystemName(name).c_str())) {
        engine->setRecordingFile(file.get());  // a recording stopped by a failed write goes on
        showTitle();
        if (saved != nullptr) {
            *saved = true;
        }
    } else {
        reportFileFailure("Can't save the recording as " + fileSystemName(name) + ".");
    }
    return true;
}

void TAppDialog::replaceFile(std::unique_ptr<files::WaveFile> next) {
    engine->setRecordingFile(next.get());
    file = std::move(next);
}

void TAppDialog::reportFileFailure(const std::string& what) {
    std::string text = what;
    if (!file->lastReason().empty()) {
        text += "\n" + file->lastReason();
    }
    if (!file->lastReport().empty()) {
        text += "\n" + file->lastReport();
    }
    services.messageBox.show(text, "Lirveto", MessageBoxStyle::OkExclamation);
}

LRESULT TAppDialog::fileNew(WPARAM, LPARAM) {
    if (!saveCheck()) {
        return 0;
    }
    // While playing, the recording takes the format the output was opened with.
    const platform::WaveFormatPcm format = engine->isPlaying() ? playFormat : outputFormat();
    replaceFile(std::make_unique<files::WaveFile>(nullptr, &format));
    if (!file->newFile(nullptr)) {
        reportFileFailure("Can't create a temporary file for the recording.");
    }
    showTitle();
    return 0;
}

LRESULT TAppDialog::fileOpen(WPARAM, LPARAM) {
    if (!saveCheck()) {
        return 0;
    }
    const QString name =
        services.fileDialogs.openFileName(this, waveFilter, startFolder, waveSuffix);
    if (name.isEmpty()) {
        return 0;
    }
    const std::string path = fileSystemName(name);
    if (!QFileInfo(name).isFile()) {
        services.messageBox.show("Can't find " + path + ".", "Lirveto",
                                 MessageBoxStyle::OkExclamation);
        return 0;
    }
    // Look first, without writing: recording goes on at the end of the file, so its samples must
    // be in the format the output plays.
    platform::WaveFormatPcm stored;
    {
        files::WaveFile probe(nullptr, nullptr, platform::MMIO_READ);
        if (!probe.open(path.c_str())) {
            services.messageBox.show(path + " is not a WAV file Lirveto can record into.",
                                     "Lirveto", MessageBoxStyle::OkExclamation);
            return 0;
        }
        stored = probe.format();
    }
    const platform::WaveFormatPcm wanted = engine->isPlaying() ? playFormat : outputFormat();
    if (!samePcm(stored, wanted)) {
        services.messageBox.show(
            path + " is recorded as " + describe(stored) + ", but Lirveto plays " +
                describe(wanted) +
                ".\nRecording into it would spoil it. Choose that format in the preferences "
                "first, or record into a new file.",
            "Lirveto", MessageBoxStyle::OkExclamation);
        return 0;
    }
    if (!file->open(path.c_str())) {
        reportFileFailure("Can't open " + path + ".");
    }
    engine->setRecordingFile(file.get());
    showTitle();
    return 0;
}

LRESULT TAppDialog::fileSaveAs(WPARAM, LPARAM) {
    return saveAs() ? 1 : 0;
}

LRESULT TAppDialog::fileSave(WPARAM, LPARAM) {
    // A recording without a name is saved by naming it, as Save does everywhere.
    if (file->isOpen() && file->isTemporary()) {
        return saveAs() ? 1 : 0;
    }
    if (file->isOpen() && !file->bringUpToDate()) {
        reportFileFailure("Can't save the recording " + file->fileName() + ".");
    }
    return 0;
}

LRESULT TAppDialog::fileClose(WPARAM, LPARAM) {
    // A recording without a name would be left behind in the temporary folder: ask first.
    if (file->isOpen() && file->isTemporary() && file->isModified()) {
        if (!saveCheck()) {
            return 0;
        }
    }
    if (file->isOpen() && !file->close()) {
        reportFileFailure("Can't close the recording " + file->fileName() + ".");
    }
    engine->setRecordingFile(file.get());
    showTitle();
    return 0;
}

LRESULT TAppDialog::queryNotEmpty(WPARAM, LPARAM) {
    return file->isOpen() && file->length() > 0 ? 1 : 0;
}

LRESULT TAppDialog::queryFileOpen(WPARAM, LPARAM) {
    return file->isOpen() ? 1 : 0;
}

LRESULT TAppDialog::updateTitle(WPARAM, LPARAM) {
    showTitle();
    return 0;
}

void TAppDialog::showTitle() {
    QString fileTitle;
    if (file->isOpen()) {
        fileTitle = QFile::decodeName(QByteArray::fromStdString(file->title()));
    }
    if (playButton != nullptr) {
        playButton->setText(file->isOpen() ? QStringLiteral("&Record") : QStringLiteral("&Play"));
    }
    QWidget::window()->setWindowTitle(framework::composeWindowTitle(fileTitle));
}
