#pragma once
// The Midi page's take: a Standard MIDI file that the MIDI engine appends events to from its
// timer thread, under the engine's recording lock.
//
// Thread: GUI.

#include <functional>
#include <mutex>

#include "files/midi_file.h"
#include "pages/recording.h"

namespace pages {

class MidiRecording final : public Recording {
  public:
    struct Hooks {
        // The engine's recording lock, held while a tick writes.
        std::function<std::unique_lock<std::mutex>()> lock;
        // The file changed under the engine: a failed write's stop ends.
        std::function<void()> changed;
    };

    MidiRecording(QWidget& page, framework::PageServices& services, files::MidiFile& file,
                  Hooks hooks, std::function<void()> stopPage);

  private:
    files::RiffFile& file() override { return midi; }
    const files::RiffFile& file() const override { return midi; }
    std::unique_lock<std::mutex> lockFile() const override { return hooks.lock(); }
    void attach() override;
    bool startNewFile() override;
    bool mayOpen(const std::string& /*path*/) override { return true; }
    std::string openFailure(const std::string& path) const override;
    std::string finish() override;

    files::MidiFile& midi;
    Hooks hooks;
};

}  // namespace pages
