#include "pages/midi_recording.h"

namespace pages {

MidiRecording::MidiRecording(QWidget& owner, framework::PageServices& pageServices,
                             files::MidiFile& file, Hooks fileHooks,
                             std::function<void()> stopThePage)
    : Recording(owner, pageServices,
                {QStringLiteral("MIDI files (*.mid)"), QStringLiteral("mid"),
                 "MIDI file has changed", true},
                std::move(stopThePage)),
      midi(file),
      hooks(std::move(fileHooks)) {}

void MidiRecording::attach() {
    const auto hold = hooks.lock();
    hooks.changed();
}

bool MidiRecording::startNewFile() {
    const auto hold = hooks.lock();
    return midi.newFile(nullptr);
}

std::string MidiRecording::openFailure(const std::string& path) const {
    // The file's reason says whether it could not be read or is no recording of ours.
    return "Can't open " + path + ".";
}

std::string MidiRecording::finish() {
    const std::string name = midi.fileName();
    // A short end of track is one of the ways a close fails: the box below tells it.
    return midi.close() ? std::string() : "Can't close the recording " + name + ".";
}

}  // namespace pages
