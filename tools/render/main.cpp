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

#include "dsound_render.h"
#include "engine/tone/render_buffer.h"
#include "files/midi_file.h"
#include "files/pcm_wave_format.h"
#include "files/wave_file.h"
#include "gesture.h"
#include "midi_render.h"
#include "render_limits.h"
#include "render_options.h"
#include "settings/settings_store.h"
#include "wave_render.h"

namespace {

constexpr int kRendered = 0;
constexpr int kRenderFailed = 1;
constexpr int kBadInput = 2;

int fail(int status, const std::string& why) {
    (void)std::fprintf(stderr, "lirveto-render: %s\n", why.c_str());
    return status;
}

std::optional<std::string> readText(const std::string& path, std::string& error) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        error = "'" + path + "' is a directory";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read '" + path + "': " + std::generic_category().message(errno);
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        error = "cannot read '" + path + "'";
        return std::nullopt;
    }
    return text.str();
}

// The output must be a file in an existing folder we may write to; checked before rendering so
// that a long render is not thrown away at the end.
bool writableOutput(const std::string& path, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ignored;
    if (fs::is_directory(path, ignored)) {
        error = "--out '" + path + "' is a directory";
        return false;
    }
    fs::path folder = fs::path(path).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    if (!fs::is_directory(folder, ignored) || ::access(folder.c_str(), W_OK | X_OK) != 0) {
        error = "cannot write --out '" + path + "': its folder is missing or not writable";
        return false;
    }
    if (fs::exists(path, ignored) && ::access(path.c_str(), W_OK) != 0) {
        error = "cannot write --out '" + path + "': the file is not writable";
        return false;
    }
    return true;
}

// Records what the chosen engine plays of the gesture, as File New, Play, Stop at the duration,
// Save As.
int renderWaveFile(const RenderOptions& options, const Gesture& gesture, int64_t durationMs) {
    const engine::OutputFormat output = engine::currentOutputFormat();
    const platform::WaveFormatPcm format =
        files::pcmWaveFormat(output.stereo, output.highRate, output.sixteenBit);
    files::WaveFile recording(nullptr, &format);
    // As File New then Play: the recording starts in a temporary file and is named at the end.
    if (!recording.newFile(nullptr)) {
        return fail(kRenderFailed, "cannot start a temporary recording: " + recording.lastReport());
    }
    std::string error;
    const bool rendered =
        options.engine == "dsound"
            ? renderDirectSound(gesture, options.screen, durationMs, recording, error)
            : renderWave(gesture, options.screen, durationMs, recording, error);
    if (!rendered) {
        recording.discard();
        return fail(kRenderFailed, error);
    }
    if (!recording.saveAs(options.outPath.c_str())) {
        std::string report = recording.lastReport();
        if (!recording.lastReason().empty()) {
            report += (report.empty() ? "" : ": ") + recording.lastReason();
        }
        recording.discard();
        return fail(kBadInput, "cannot write --out '" + options.outPath + "'" +
                                   (report.empty() ? "" : ": " + report));
    }
    if (!recording.close()) {
        return fail(kRenderFailed,
                    "cannot finish '" + options.outPath + "': " + recording.lastReport());
    }
    return kRendered;
}

int renderMidiFile(const RenderOptions& options, const Gesture& gesture, int64_t durationMs) {
    files::MidiFile recording(nullptr);
    if (!recording.newFile(nullptr)) {
        return fail(kRenderFailed, "cannot start a temporary recording: " + recording.lastReport());
    }
    std::string error;
    if (!renderMidi(gesture, options.screen, durationMs, recording, error)) {
        recording.discard();
        return fail(kRenderFailed, error);
    }
    if (!recording.saveAs(options.outPath.c_str())) {
        const std::string report = recording.lastReport();
        recording.discard();
        return fail(kBadInput, "cannot write --out '" + options.outPath + "'" +
                                   (report.empty() ? "" : ": " + report));
    }
    // The MIDI close ends the track and converts the file to the standard layout.
    if (!recording.close()) {
        return fail(kRenderFailed,
                    "cannot finish '" + options.outPath + "': " + recording.lastReport());
    }
    return kRendered;
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = parseRenderOptions(argc - 1, argv + 1, error);
    if (!options) {
        return fail(kBadInput, error + " (see --help)");
    }
    if (options->helpWanted) {
        // A full disk or closed pipe must not pass for a shown help text.
        const bool shown = std::fputs(kRenderUsage, stdout) != EOF && std::fflush(stdout) == 0;
        return shown ? kRendered : kRenderFailed;
    }
    if (options->engine != "wave" && options->engine != "midi" && options->engine != "dsound") {
        return fail(kBadInput, "the " + options->engine + " engine is not available yet");
    }

    const auto text = readText(options->gesturePath, error);
    if (!text) {
        return fail(kBadInput, "gesture file: " + error);
    }
    const auto gesture = Gesture::parse(*text, error);
    if (!gesture) {
        return fail(kBadInput, options->gesturePath + ": " + error);
    }
    // Without a settings file, the values stay those of a first start: no registry is read.
    if (!options->settingsPath.empty() && !settings::loadSettings(options->settingsPath.c_str())) {
        return fail(kBadInput, "cannot read settings file '" + options->settingsPath + "'");
    }
    applyPlayingOptions(options->playing);
    if (!writableOutput(options->outPath, error)) {
        return fail(kBadInput, error);
    }
    const int64_t durationMs = options->durationMs.value_or(gesture->lastTimeMs());
    if (options->engine != "midi") {
        const int64_t bytesPerSecond = engine::currentOutputFormat().bytesPerSecond();
        const int64_t longestMs = longestWaveRenderMs(bytesPerSecond);
        if (durationMs > longestMs) {
            return fail(kBadInput,
                        "a render of " + std::to_string(durationMs) +
                            " ms is too long: a WAV file at " + std::to_string(bytesPerSecond) +
                            " bytes per second holds at most " + std::to_string(longestMs) + " ms");
        }
    }
    return options->engine == "midi" ? renderMidiFile(*options, *gesture, durationMs)
                                     : renderWaveFile(*options, *gesture, durationMs);
}
