#include "pages/wave_recording.h"

#include "files/pcm_wave_format.h"
#include "settings/settings_values.h"

namespace pages {

using platform::MessageBoxStyle;

namespace {

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

WaveRecording::WaveRecording(QWidget& owner, framework::PageServices& pageServices, Hooks fileHooks,
                             std::function<void()> stopThePage)
    : Recording(owner, pageServices,
                {QStringLiteral("Wave files (*.wav)"), QStringLiteral("wav"),
                 "Sound file has changed", false},
                std::move(stopThePage)),
      hooks(std::move(fileHooks)) {
    const platform::WaveFormatPcm format = outputFormat();
    wave = std::make_unique<files::WaveFile>(nullptr, &format);
    hooks.attach(wave.get());
}

WaveRecording::~WaveRecording() {
    hooks.attach(nullptr);
}

platform::WaveFormatPcm WaveRecording::outputFormat() {
    return files::pcmWaveFormat(settings::Stereo, settings::HighRate, settings::SixteenBit);
}

std::unique_lock<std::mutex> WaveRecording::lockFile() const {
    return hooks.fileLock != nullptr ? std::unique_lock(*hooks.fileLock)
                                     : std::unique_lock<std::mutex>();
}

bool WaveRecording::mayPlay() {
    const platform::WaveFormatPcm output = outputFormat();
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
    services.messageBox.show(text, "Lirveto", MessageBoxStyle::OkExclamation);
    return false;
}

bool WaveRecording::startNewFile() {
    const platform::WaveFormatPcm format = hooks.writtenFormat();
    auto next = std::make_unique<files::WaveFile>(nullptr, &format);
    // The engine lets go of the old file before it is deleted.
    hooks.attach(next.get());
    wave = std::move(next);
    const auto hold = lockFile();
    return wave->newFile(nullptr);
}

bool WaveRecording::mayOpen(const std::string& path) {
    // Look first, without writing: recording goes on at the end of the file, so its samples must
    // be in the format the output plays.
    platform::WaveFormatPcm stored;
    {
        files::WaveFile probe(nullptr, nullptr, platform::MMIO_READ);
        if (!probe.open(path.c_str())) {
            services.messageBox.show(path + " is not a WAV file Lirveto can record into.",
                                     "Lirveto", MessageBoxStyle::OkExclamation);
            return false;
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
        return false;
    }
    return true;
}

std::string WaveRecording::openFailure(const std::string& path) const {
    return "Can't open " + path + ".";
}

std::string WaveRecording::finish() {
    return wave->close() ? std::string() : "Can't close the recording " + wave->fileName() + ".";
}

}  // namespace pages
