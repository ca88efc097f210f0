#include "framework/wave_recording.h"

#include <QFile>
#include <QFileInfo>

#include "files/pcm_wave_format.h"
#include "framework/recording_rescue.h"
#include "framework/window_title.h"
#include "settings/settings_values.h"

namespace framework {

using platform::MessageBoxStyle;
namespace answer = platform::MessageBoxResult;

namespace {

const QString waveFilter = QStringLiteral("Wave files (*.wav)");
const QString startFolder = QStringLiteral(".");
const QString waveSuffix = QStringLiteral("wav");

std::string fileSystemName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

QString shownName(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}

bool samePcm(const platform::WaveFormatPcm& a, const platform::WaveFormatPcm& b) {
    return a.formatTag == b.formatTag && a.channels == b.channels &&
           a.samplesPerSec == b.samplesPerSec && a.bitsPerSample == b.bitsPerSample &&
           a.blockAlign == b.blockAlign;
}

std::string describe(const platform::WaveFormatPcm& format) {
    if (format.formatTag != platform::mm::WAVE_FORMAT_PCM) {
        return "not plain PCM";
    }
    std::string text = std::to_string(format.samplesPerSec) + " Hz, " +
                       std::to_string(format.bitsPerSample) + "-bit, ";
    text += format.channels == 1 ? "mono" : format.channels == 2 ? "stereo" : "multichannel";
    return text;
}

}  // namespace

WaveRecording::WaveRecording(QWidget& owner, PageServices& pageServices, Hooks fileHooks)
    : page(owner), services(pageServices), hooks(std::move(fileHooks)) {
    const platform::WaveFormatPcm format = outputFormat();
    wave = std::make_unique<files::WaveFile>(nullptr, &format);
    hooks.attach(wave.get());
}

platform::WaveFormatPcm WaveRecording::outputFormat() {
    return files::pcmWaveFormat(settings::Stereo, settings::HighRate, settings::SixteenBit);
}

std::unique_lock<std::mutex> WaveRecording::lockFile() const {
    return hooks.fileLock != nullptr ? std::unique_lock(*hooks.fileLock)
                                     : std::unique_lock<std::mutex>();
}

bool WaveRecording::isOpen() const {
    const auto hold = lockFile();
    return wave->isOpen();
}

bool WaveRecording::holdsSound() const {
    const auto hold = lockFile();
    return wave->isOpen() && wave->length() > 0;
}

bool WaveRecording::mayPlay(const platform::WaveFormatPcm& output) {
    std::string text;
    {
        const auto hold = lockFile();
        if (!wave->isOpen() || samePcm(wave->format(), output)) {
            return true;
        }
        text = "The recording " + wave->title() + " is " + describe(wave->format()) +
               ", but the output is set to " + describe(output) +
               ".\nClose the recording or choose its format in the preferences before playing.";
    }
    // Samples in another format would turn the recording into noise.
    services.messageBox.show(text, "bnplay", MessageBoxStyle::OkExclamation);
    return false;
}

bool WaveRecording::saveCheck() {
    bool modified = false;
    bool temporary = false;
    {
        const auto hold = lockFile();
        if (!wave->isOpen()) {
            return true;
        }
        modified = wave->isModified();
        temporary = wave->isTemporary();
        if (!modified && temporary) {
            wave->discard();
            return true;
        }
    }
    if (!modified) {
        return true;
    }
    if (temporary) {
        const int choice = services.messageBox.show(
            "Do you want to save?", "Sound file has changed", MessageBoxStyle::YesNoCancelQuestion);
        if (choice == answer::IDCANCEL) {
            return false;
        }
        if (choice == answer::IDNO) {
            const auto hold = lockFile();
            wave->discard();
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
    bool closed = false;
    {
        const auto hold = lockFile();
        closed = wave->close();
    }
    if (!closed) {
        reportFailure("Can't close the recording " + wave->fileName() + ".");
    }
    return true;
}

bool WaveRecording::saveAs(bool* saved) {
    if (saved != nullptr) {
        *saved = false;
    }
    if (!isOpen()) {
        return false;
    }
    const QString name = services.fileDialogs.saveFileName(&page, QStringLiteral("Save As"),
                                                           waveFilter, startFolder, waveSuffix);
    if (name.isEmpty()) {
        return false;
    }
    bool named = false;
    {
        const auto hold = lockFile();
        named = wave->saveAs(fileSystemName(name).c_str());
    }
    if (named) {
        hooks.attach(wave.get());  // a recording stopped by a failed write goes on
        showTitle();
        if (saved != nullptr) {
            *saved = true;
        }
    } else {
        reportFailure("Can't save the recording as " + fileSystemName(name) + ".");
    }
    return true;
}

void WaveRecording::fileNew() {
    if (!saveCheck()) {
        return;
    }
    const platform::WaveFormatPcm format = hooks.writtenFormat();
    auto next = std::make_unique<files::WaveFile>(nullptr, &format);
    // The engine lets go of the old file before it is deleted.
    hooks.attach(next.get());
    wave = std::move(next);
    bool started = false;
    {
        const auto hold = lockFile();
        started = wave->newFile(nullptr);
    }
    if (!started) {
        reportFailure("Can't create a temporary file for the recording.");
    }
    showTitle();
}

void WaveRecording::fileOpen() {
    if (!saveCheck()) {
        return;
    }
    const QString name = services.fileDialogs.openFileName(&page, QStringLiteral("Open"),
                                                           waveFilter, startFolder, waveSuffix);
    if (name.isEmpty()) {
        return;
    }
    const std::string path = fileSystemName(name);
    if (!QFileInfo(name).isFile()) {
        services.messageBox.show("Can't find " + path + ".", "Lirveto",
                                 MessageBoxStyle::OkExclamation);
        return;
    }
    // Look first, without writing: recording goes on at the end of the file, so its samples must
    // be in the format the output plays.
    platform::WaveFormatPcm stored;
    {
        files::WaveFile probe(nullptr, nullptr, platform::MMIO_READ);
        if (!probe.open(path.c_str())) {
            services.messageBox.show(path + " is not a WAV file Lirveto can record into.",
                                     "Lirveto", MessageBoxStyle::OkExclamation);
            return;
        }
        stored = probe.format();
    }
    const platform::WaveFormatPcm wanted = hooks.writtenFormat();
    if (!samePcm(stored, wanted)) {
        services.messageBox.show(
            path + " is recorded as " + describe(stored) + ", but Lirveto plays " +
                describe(wanted) +
                ".\nRecording into it would spoil it. Choose that format in the preferences "
                "first, or record into a new file.",
            "Lirveto", MessageBoxStyle::OkExclamation);
        return;
    }
    bool opened = false;
    {
        const auto hold = lockFile();
        opened = wave->open(path.c_str());
    }
    if (!opened) {
        reportFailure("Can't open " + path + ".");
    }
    hooks.attach(wave.get());
    showTitle();
}

bool WaveRecording::fileSave() {
    bool unnamed = false;
    bool updated = true;
    {
        const auto hold = lockFile();
        unnamed = wave->isOpen() && wave->isTemporary();
        if (wave->isOpen() && !unnamed) {
            updated = wave->bringUpToDate();
        }
    }
    // A recording without a name is saved by naming it, as Save does everywhere.
    if (unnamed) {
        return saveAs();
    }
    if (!updated) {
        reportFailure("Can't save the recording " + wave->fileName() + ".");
    }
    return false;
}

void WaveRecording::fileClose() {
    bool ask = false;
    {
        const auto hold = lockFile();
        ask = wave->isOpen() && wave->isTemporary() && wave->isModified();
    }
    // A recording without a name would be left behind in the temporary folder: ask first.
    if (ask && !saveCheck()) {
        return;
    }
    bool failed = false;
    {
        const auto hold = lockFile();
        failed = wave->isOpen() && !wave->close();
    }
    if (failed) {
        reportFailure("Can't close the recording " + wave->fileName() + ".");
    }
    hooks.attach(wave.get());
    showTitle();
}

void WaveRecording::showTitle() {
    QString fileTitle;
    const bool open = isOpen();
    if (open) {
        const auto hold = lockFile();
        fileTitle = shownName(wave->title());
    }
    if (playButton != nullptr) {
        playButton->setText(open ? QStringLiteral("&Record") : QStringLiteral("&Play"));
    }
    page.window()->setWindowTitle(composeWindowTitle(fileTitle));
}

QString WaveRecording::rescue(const QString& folder, const QString& stem) {
    QString kept;
    {
        const auto hold = lockFile();
        if (wave->isOpen() && wave->isTemporary()) {
            if (wave->isModified() && wave->length() > 0) {
                const QString name = freeFileName(folder, stem, waveSuffix);
                if (wave->saveAs(fileSystemName(name).c_str())) {
                    kept = name;
                } else {
                    // Closing a changed temporary file keeps it: say where it stayed.
                    kept = shownName(wave->fileName());
                    wave->bringUpToDate();
                    wave->close();
                }
            } else {
                wave->discard();
            }
        }
        if (wave->isOpen() && !wave->isTemporary()) {
            wave->close();
        }
    }
    hooks.attach(wave.get());
    return kept;
}

void WaveRecording::reportFailure(const std::string& what) {
    std::string text = what;
    {
        const auto hold = lockFile();
        if (!wave->lastReason().empty()) {
            text += "\n" + wave->lastReason();
        }
        if (!wave->lastReport().empty()) {
            text += "\n" + wave->lastReport();
        }
    }
    services.messageBox.show(text, "Lirveto", MessageBoxStyle::OkExclamation);
}

}  // namespace framework
