#pragma once
// The take of a sample page (Wave, DirectSound): a WAV file in the output's sample format. A new
// take, an opened file and playing into an open one must all agree on that format, or the file
// would turn into noise.
//
// Thread: GUI.

#include <functional>
#include <memory>
#include <mutex>

#include "files/wave_file.h"
#include "pages/recording.h"

namespace pages {

class WaveRecording final : public Recording {
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

    WaveRecording(QWidget& page, framework::PageServices& services, Hooks hooks,
                  std::function<void()> stopPage);
    ~WaveRecording() override;

    const files::WaveFile& waveFile() const { return *wave; }

    // The output format as the settings give it now.
    static platform::WaveFormatPcm outputFormat();

  private:
    files::RiffFile& file() override { return *wave; }
    const files::RiffFile& file() const override { return *wave; }
    std::unique_lock<std::mutex> lockFile() const override;
    void attach() override { hooks.attach(wave.get()); }
    bool startNewFile() override;
    bool mayOpen(const std::string& path) override;
    std::string openFailure(const std::string& path) const override;
    bool mayPlay() override;
    std::string finish() override;

    Hooks hooks;
    std::unique_ptr<files::WaveFile> wave;
};

}  // namespace pages
