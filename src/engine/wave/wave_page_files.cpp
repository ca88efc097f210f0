// The Wave page's recording commands: the shared WAV recording does the work.

#include "engine/wave/wave_page.h"

using framework::LPARAM;
using framework::LRESULT;
using framework::WPARAM;

framework::WaveRecording::Hooks TAppDialog::recordingHooks() {
    return {[this](files::WaveFile* file) { engine->setRecordingFile(file); },
            // While playing, the recording takes the format the output was opened with.
            [this] {
                return engine->isPlaying() ? playFormat : framework::WaveRecording::outputFormat();
            },
            nullptr};
}

bool TAppDialog::canClose() {
    return recording.saveCheck();
}

QString TAppDialog::rescueRecording(const QString& folder, const QString& stem) {
    stopPlaying();
    return recording.rescue(folder, stem);
}

LRESULT TAppDialog::fileNew(WPARAM, LPARAM) {
    recording.fileNew();
    return 0;
}

LRESULT TAppDialog::fileOpen(WPARAM, LPARAM) {
    recording.fileOpen();
    return 0;
}

LRESULT TAppDialog::fileSaveAs(WPARAM, LPARAM) {
    return recording.saveAs() ? 1 : 0;
}

LRESULT TAppDialog::fileSave(WPARAM, LPARAM) {
    return recording.fileSave() ? 1 : 0;
}

LRESULT TAppDialog::fileClose(WPARAM, LPARAM) {
    recording.fileClose();
    return 0;
}

LRESULT TAppDialog::queryNotEmpty(WPARAM, LPARAM) {
    return recording.holdsSound() ? 1 : 0;
}

LRESULT TAppDialog::queryFileOpen(WPARAM, LPARAM) {
    return recording.isOpen() ? 1 : 0;
}

LRESULT TAppDialog::updateTitle(WPARAM, LPARAM) {
    recording.showTitle();
    return 0;
}
