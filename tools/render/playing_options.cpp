#include "playing_options.h"

#include <charconv>
#include <vector>

#include "message_text.h"
#include "option_fields.h"
#include "render_limits.h"
#include "settings/playing_names.h"
#include "settings/playing_values.h"

namespace {

// A whole number within low..high, digits only.
std::optional<int32_t> boundedWhole(std::string_view text, int32_t low, int32_t high) {
    int32_t value = 0;
    if (text.empty() || text.front() == '-' || text.front() == '+') {
        return std::nullopt;
    }
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (failure != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

bool refuse(std::string& error, const std::string& what) {
    error = what;
    return false;
}

std::string names(const auto& list) {
    std::string joined;
    for (const std::string_view name : list) {
        joined += (joined.empty() ? "" : ", ") + std::string(name);
    }
    return joined;
}

}  // namespace

bool parseLayoutOption(std::string_view value, PlayingOptions& options, std::string& error) {
    const std::vector<std::string_view> fields = colonFields(value);
    const auto layout = settings::parseLayout(fields.front());
    const std::string got = ", got " + quotedForMessage(value);
    if (layout == settings::PitchLayout::Hertz && fields.size() == 1) {
        options.layout = engine::CursorLayoutSetup{};
        return true;
    }
    if (layout != settings::PitchLayout::Semitones || fields.size() != 3) {
        return refuse(error, "--layout wants hertz or semitones:LOW:HIGH" + got);
    }
    const auto low = boundedWhole(fields[1], 0, settings::highestMidiNote);
    const auto high = boundedWhole(fields[2], 0, settings::highestMidiNote);
    if (!low || !high || *low >= *high) {
        return refuse(error,
                      "--layout semitones wants MIDI notes 0..127, the low one below the "
                      "high one" +
                          got);
    }
    options.layout = engine::CursorLayoutSetup{settings::PitchLayout::Semitones, *low, *high};
    return true;
}

bool parseCorrectionOption(std::string_view value, PlayingOptions& options, std::string& error) {
    const std::string got = ", got " + quotedForMessage(value);
    if (value == "off") {
        options.correction = engine::CorrectionSetup{};
        return true;
    }
    const std::vector<std::string_view> fields = colonFields(value);
    if (fields.size() < 2 || fields.size() > 4) {
        return refuse(error, "--correction wants off or SCALE:ROOT[:STRENGTH[:RATE]]" + got);
    }
    const auto scale = settings::parseScale(fields[0]);
    if (!scale) {
        return refuse(error,
                      "--correction: the scale is one of " + names(settings::scaleNames) + got);
    }
    const auto root = settings::parseRoot(fields[1]);
    if (!root) {
        return refuse(error, "--correction: the root is a note name C, C#, Db ... B" + got);
    }
    engine::CorrectionSetup setup{true, *scale, *root};
    if (fields.size() > 2) {
        const auto strength = boundedWhole(fields[2], 0, settings::strengthMaxPercent);
        if (!strength) {
            return refuse(error, "--correction: the strength is a percentage 0..100" + got);
        }
        setup.strength = *strength;
    }
    if (fields.size() > 3) {
        const auto rate = boundedWhole(fields[3], 0, settings::correctionRateMaxMs);
        if (!rate) {
            return refuse(error, "--correction: the rate is 0.." +
                                     std::to_string(settings::correctionRateMaxMs) + " ms" + got);
        }
        setup.rateMs = *rate;
    }
    options.correction = setup;
    return true;
}

bool parseGlideOption(std::string_view value, PlayingOptions& options, std::string& error) {
    const auto glide = settings::parseGlide(value);
    if (!glide) {
        return refuse(error, "--glide wants classic or 0.." + std::to_string(settings::glideMaxMs) +
                                 " ms, got " + quotedForMessage(value));
    }
    options.glide = *glide;
    return true;
}

bool parseConcertPitchOption(std::string_view value, PlayingOptions& options, std::string& error) {
    const auto tenths = settings::parseConcertPitch(value);
    if (!tenths) {
        return refuse(error,
                      "--concert-pitch wants the A4 in hertz, 400.0..480.0 with at most one "
                      "decimal, got " +
                          quotedForMessage(value));
    }
    options.concertPitch = *tenths;
    return true;
}

bool parseLoudnessOption(std::string_view value, PlayingOptions& options, std::string& error) {
    const std::vector<std::string_view> fields = colonFields(value);
    if (fields.size() == 1 &&
        settings::parseLoudness(fields[0]) == settings::LoudnessCurve::Designed) {
        options.loudness = engine::LoudnessSetup{};
        return true;
    }
    const auto range =
        fields.size() == 2 && fields[0] == "db"
            ? boundedWhole(fields[1], settings::loudnessRangeLeast, settings::loudnessRangeMost)
            : std::nullopt;
    if (!range) {
        return refuse(error, "--loudness wants designed or db:RANGE with RANGE " +
                                 std::to_string(settings::loudnessRangeLeast) + ".." +
                                 std::to_string(settings::loudnessRangeMost) + " dB, got " +
                                 quotedForMessage(value));
    }
    options.loudness = engine::LoudnessSetup{settings::LoudnessCurve::Decibels, *range};
    return true;
}

void applyPlayingOptions(const PlayingOptions& options) {
    if (options.layout) {
        settings::CursorLayout = options.layout->layout;
        if (options.layout->layout == settings::PitchLayout::Semitones) {
            settings::LowNote = options.layout->lowNote;
            settings::HighNote = options.layout->highNote;
        }
    }
    if (options.correction) {
        settings::Correction = options.correction->on;
        if (options.correction->on) {
            settings::CorrectionScale = options.correction->scale;
            settings::CorrectionRoot = options.correction->root;
            settings::CorrectionStrength = options.correction->strength;
            settings::CorrectionRate = options.correction->rateMs;
        }
    }
    if (options.glide) {
        settings::Glide = *options.glide;
    }
    if (options.concertPitch) {
        settings::ConcertPitch = *options.concertPitch;
    }
    if (options.loudness) {
        settings::Loudness = options.loudness->curve;
        if (options.loudness->even()) {
            settings::LoudnessRange = options.loudness->rangeDb;
        }
    }
}
