// lirveto-render: plays a gesture file through an engine offline and writes what a recording of
// it would hold. Exit status: 0 done, 1 the render failed, 2 bad input (nothing written).

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>

#include "app/version.h"
#include "dsound_render.h"
#include "engine/tone/output_wave_format.h"
#include "engine/tone/render_buffer.h"
#include "files/midi_file.h"
#include "files/pcm_wave_format.h"
#include "files/performance_file.h"
#include "files/performance_replay.h"
#include "files/wave_file.h"
#include "format_option.h"
#include "gesture.h"
#include "message_text.h"
#include "midi_render.h"
#include "midi_sound_render.h"
#include "performance_gesture.h"
#include "platform/backends/sound_file_writer.h"
#include "platform/path_folder.h"
#include "platform/write_target.h"
#include "render_limits.h"
#include "render_options.h"
#include "settings/settings_store.h"
#include "settings/settings_values.h"
#include "wave_render.h"

namespace {

constexpr int kRendered = 0;
constexpr int kRenderFailed = 1;
constexpr int kBadInput = 2;

// A midi export's own format where --format leaves a field out: the built-in synth's.
constexpr engine::OutputFormat kMidiSoundFormat{
    .stereo = true, .highRate = true, .sixteenBit = true};

int fail(int status, const std::string& why) {
    (void)std::fprintf(stderr, "lirveto-render: %s\n", why.c_str());
    return status;
}

// A path as it may appear in the one error line.
std::string quotedPath(const std::string& path) {
    return "'" + shownForMessage(path) + "'";
}

std::string systemReason() {
    return std::generic_category().message(errno);
}

std::optional<std::string> readText(const std::string& path, std::string& error) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        error = quotedPath(path) + " is a directory";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + quotedPath(path) + ": " + systemReason();
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        error = "cannot read " + quotedPath(path);
        return std::nullopt;
    }
    return text.str();
}

// The output must be somewhere we may write, by the rule every save follows; checked before
// rendering so that a long render is not thrown away at the end.
bool writableOutput(const std::string& path, std::string& error) {
    const std::string out = "--out " + quotedPath(path);
    platform::WriteTarget target;
    if (!platform::resolveWriteTarget(path, target)) {
        error = errno == EISDIR ? out + " is a directory"
                                : "cannot write " + out + ": " + systemReason();
        return false;
    }
    if (target.isStandardOutput()) {
        return true;
    }
    if (target.method == platform::WriteMethod::Direct) {
        if (::access(target.path.c_str(), W_OK) != 0) {
            error = "cannot write " + out + ": " + systemReason();
            return false;
        }
        return true;
    }
    // Replaced by a file made beside the one replaced (a link's target) and renamed over it.
    const std::string folder = platform::folderOf(target.path);
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored) ||
        ::access(folder.c_str(), W_OK | X_OK) != 0) {
        error = "cannot write " + out + ": its folder is missing or not writable";
        return false;
    }
    if (std::filesystem::exists(target.path, ignored) && ::access(target.path.c_str(), W_OK) != 0) {
        error = "cannot write " + out + ": the file is not writable";
        return false;
    }
    return true;
}

// Records what `render` plays into `recording` as File New, Play, Stop at the duration, Save As
// would, and closes it. Nothing is left at the output path when any step fails before Save As.
template <typename Render>
int recordAndSave(files::RiffFile& recording, const std::string& outPath, Render render) {
    // As File New then Play: the recording starts in a temporary file and is named at the end.
    if (!recording.newFile(nullptr)) {
        return fail(kRenderFailed, "cannot start a temporary recording: " + recording.lastReason());
    }
    std::string error;
    if (!render(error)) {
        // The engine's message names the temporary file, which goes now: only the reason stays.
        if (!recording.lastReason().empty()) {
            error = "Can't write the recording: " + recording.lastReason();
        }
        recording.discard();
        return fail(kRenderFailed, error);
    }
    if (!recording.saveAs(outPath.c_str())) {
        const std::string reason = recording.lastReason();
        recording.discard();
        return fail(kRenderFailed, "cannot write --out " + quotedPath(outPath) +
                                       (reason.empty() ? "" : ": " + reason));
    }
    if (recording.isTemporary()) {
        // A FIFO, a device or standard output took a copy: the temporary recording goes.
        recording.discard();
        return kRendered;
    }
    // The MIDI close ends the track as a Save does; a WAV file is already up to date.
    if (!recording.close()) {
        return fail(kRenderFailed,
                    "cannot finish --out " + quotedPath(outPath) + ": " + recording.lastReason());
    }
    return kRendered;
}

int renderWaveFile(const RenderOptions& options, const Gesture& gesture, int64_t durationMs) {
    const platform::WaveFormatPcm format = engine::pcmWaveFormatOf(engine::currentOutputFormat());
    files::WaveFile recording(nullptr, &format);
    return recordAndSave(recording, options.outPath, [&](std::string& error) {
        return options.engine == "dsound"
                   ? renderDirectSound(gesture, options.screen, durationMs, recording, error)
                   : renderWave(gesture, options.screen, durationMs, recording, error);
    });
}

int renderMidiFile(const RenderOptions& options, const Gesture& gesture, int64_t durationMs) {
    files::MidiFile recording(nullptr);
    return recordAndSave(recording, options.outPath, [&](std::string& error) {
        return renderMidi(gesture, options.screen, durationMs, recording, error);
    });
}

// Sets the engines to render at `request`, the missing fields taken from the settings, and
// returns the file format to write.
platform::SoundFileFormat useExportFormat(const FormatRequest& request) {
    const engine::OutputFormat own = engine::currentOutputFormat();
    const platform::SoundFileFormat file = resolvedFormat(request, own);
    const engine::OutputFormat rendered = engineFormatFor(file, own);
    settings::Stereo.store(rendered.stereo);
    settings::HighRate.store(rendered.highRate);
    settings::SixteenBit.store(rendered.sixteenBit);
    engine::setExportRate(rendered.exportRate);
    engine::setExportTwentyFourBit(rendered.twentyFourBit);
    engine::setExportHeardRate(own.rate());
    return file;
}

// Renders with `render` into a temporary take in `format` and writes the take as `file`.
template <typename Render>
int exportTake(const std::string& outPath, const platform::WaveFormatPcm& format,
               const platform::SoundFileFormat& file, Render render) {
    files::WaveFile take(nullptr, &format);
    if (!take.newFile(nullptr)) {
        return fail(kRenderFailed, "cannot start a temporary recording: " + take.lastReason());
    }
    std::string error;
    if (!render(take, error) || !take.bringUpToDate()) {
        if (!take.lastReason().empty()) {
            error = "Can't write the recording: " + take.lastReason();
        }
        take.discard();
        return fail(kRenderFailed, error);
    }
    std::string reason;
    const bool written = platform::writeSoundFile(take.fileName(), outPath, file, reason);
    take.discard();
    if (!written) {
        return fail(kRenderFailed, "cannot write --out " + quotedPath(outPath) + ": " + reason);
    }
    return kRendered;
}

// Renders as renderWaveFile does, into a temporary take, and writes the take as `file`.
int renderSoundFile(const RenderOptions& options, const Gesture& gesture, int64_t durationMs,
                    const platform::SoundFileFormat& file) {
    const platform::WaveFormatPcm format = engine::pcmWaveFormatOf(engine::currentOutputFormat());
    return exportTake(
        options.outPath, format, file, [&](files::WaveFile& take, std::string& error) {
            return options.engine == "dsound"
                       ? renderDirectSound(gesture, options.screen, durationMs, take, error)
                       : renderWave(gesture, options.screen, durationMs, take, error);
        });
}

// The bytes of one sample of a midi export's take: 24-bit for a 24-bit or float file, else 16.
int32_t midiTakeSampleBytes(const platform::SoundFileFormat& file) {
    return rendersTwentyFourBit(file) ? 3 : 2;
}

// The Midi page's sound through the built-in synth, at the file's rate and channels.
int renderMidiSoundFile(const RenderOptions& options, const Gesture& gesture, int64_t durationMs,
                        const platform::SoundFileFormat& file) {
    const platform::WaveFormatPcm format =
        files::pcmWaveFormatOfBits(static_cast<uint32_t>(file.rate), file.channels == 2,
                                   static_cast<uint16_t>(8 * midiTakeSampleBytes(file)));
    return exportTake(
        options.outPath, format, file, [&](files::WaveFile& take, std::string& error) {
            return renderMidiSound(gesture, options.screen, durationMs, options.soundFontPath,
                                   file.rate, file.channels, take, error);
        });
}

// A performance file: the gesture to render it with, its page as the engine unless --engine
// says otherwise, its screen unless --screen does, and its settings put in place (a settings
// file and the playing options, read afterwards, override them).
std::optional<Gesture> readPerformance(RenderOptions& options, std::string& error) {
    const auto text = readText(options.performancePath, error);
    if (!text) {
        error = "performance file: " + error;
        return std::nullopt;
    }
    const auto performance = files::parsePerformance(*text, error);
    if (!performance) {
        error = shownForMessage(options.performancePath) + ": " + error;
        return std::nullopt;
    }
    if (options.engine.empty()) {
        if (!performance->page) {
            error = shownForMessage(options.performancePath) +
                    " names no page: choose one with --engine wave|dsound|midi";
            return std::nullopt;
        }
        options.engine = files::performancePageName(*performance->page);
    }
    if (!options.screenGiven && performance->screen.width > 0) {
        options.screen = performance->screen;
    }
    files::applyPerformanceSettings(*performance);
    return performanceGesture(*performance, options.engine);
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    auto options = parseRenderOptions(argc - 1, argv + 1, error);
    if (!options) {
        return fail(kBadInput, error + " (see --help)");
    }
    if (options->helpWanted || options->versionWanted) {
        const std::string text = options->helpWanted
                                     ? std::string(kRenderUsage)
                                     : "lirveto-render " + app::productVersionText() + "\n";
        // A full disk or closed pipe must not pass for a shown text.
        const bool shown = std::fputs(text.c_str(), stdout) != EOF && std::fflush(stdout) == 0;
        return shown ? kRendered : kRenderFailed;
    }
    std::optional<Gesture> gesture;
    if (!options->performancePath.empty()) {
        gesture = readPerformance(*options, error);
        if (!gesture) {
            return fail(kBadInput, error);
        }
    }
    if (options->engine != "wave" && options->engine != "midi" && options->engine != "dsound") {
        return fail(kBadInput, "the " + options->engine + " engine is not available yet");
    }

    if (!gesture) {
        const auto text = readText(options->gesturePath, error);
        if (!text) {
            return fail(kBadInput, "gesture file: " + error);
        }
        gesture = Gesture::parse(*text, error);
        if (!gesture) {
            return fail(kBadInput, shownForMessage(options->gesturePath) + ": " + error);
        }
    }
    // Without a settings file, the values stay those of a first start: no registry is read.
    settings::SettingsFileFault fault = settings::SettingsFileFault::none;
    errno = 0;
    if (!options->settingsPath.empty() &&
        !settings::loadSettings(options->settingsPath.c_str(), &fault)) {
        return fail(kBadInput, settings::settingsFileFaultText(
                                   fault, shownForMessage(options->settingsPath), errno));
    }
    applyPlayingOptions(options->playing);
    const bool midi = options->engine == "midi";
    std::optional<platform::SoundFileFormat> exportFormat;
    if (options->format) {
        exportFormat = midi ? resolvedFormat(*options->format, kMidiSoundFormat)
                            : useExportFormat(*options->format);
    }
    if (!writableOutput(options->outPath, error)) {
        return fail(kBadInput, error);
    }
    const int64_t durationMs = options->durationMs.value_or(gesture->lastTimeMs());
    const bool midiFile = midi && !exportFormat;
    const int64_t bytesPerSecond = midi && exportFormat
                                       ? int64_t{midiTakeSampleBytes(*exportFormat)} *
                                             exportFormat->rate * exportFormat->channels
                                       : engine::currentOutputFormat().bytesPerSecond();
    // A midi export's take holds the release after the duration as well.
    const int64_t longestMs =
        midiFile ? longestMidiRenderMs()
                 : longestWaveRenderMs(bytesPerSecond) - (midi ? kReleaseTailMs : 0);
    if (durationMs > longestMs) {
        const std::string file =
            midiFile ? "a MIDI file"
                     : "a WAV file at " + std::to_string(bytesPerSecond) + " bytes per second";
        return fail(kBadInput, "a render of " + std::to_string(durationMs) + " ms is too long: " +
                                   file + " holds at most " + std::to_string(longestMs) + " ms");
    }
    if (exportFormat) {
        return midi ? renderMidiSoundFile(*options, *gesture, durationMs, *exportFormat)
                    : renderSoundFile(*options, *gesture, durationMs, *exportFormat);
    }
    return midi ? renderMidiFile(*options, *gesture, durationMs)
                : renderWaveFile(*options, *gesture, durationMs);
}
