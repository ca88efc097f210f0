#include "render_options.h"

#include <charconv>
#include <set>
#include <string_view>

#include "message_text.h"

namespace {

constexpr int64_t kLargestScreenSide = 100000;

enum class Number { whole, notWhole, tooBig };

Number parseWhole(std::string_view text, int64_t& value) {
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (failure == std::errc::result_out_of_range) {
        return Number::tooBig;
    }
    return failure == std::errc() && end == text.data() + text.size() ? Number::whole
                                                                      : Number::notWhole;
}

std::string tooBig(std::string_view option, std::string_view value) {
    return std::string(option) + " " + quotedForMessage(value) + " is too big";
}

bool parseScreen(std::string_view text, platform::ScreenSize& screen, std::string& error) {
    const auto cross = text.find('x');
    int64_t width = 0;
    int64_t height = 0;
    const Number w = cross == std::string_view::npos ? Number::notWhole
                                                     : parseWhole(text.substr(0, cross), width);
    const Number h = cross == std::string_view::npos ? Number::notWhole
                                                     : parseWhole(text.substr(cross + 1), height);
    if (w == Number::tooBig || h == Number::tooBig || width > kLargestScreenSide ||
        height > kLargestScreenSide) {
        error = tooBig("--screen", text) + " (each side at most " +
                std::to_string(kLargestScreenSide) + ")";
        return false;
    }
    if (w != Number::whole || h != Number::whole || width <= 0 || height <= 0) {
        error = "--screen wants WIDTHxHEIGHT with both above zero, got " + quotedForMessage(text);
        return false;
    }
    screen = platform::ScreenSize{static_cast<int32_t>(width), static_cast<int32_t>(height)};
    return true;
}

// An option's name as typed when it reads plainly, else quoted and made safe.
std::string optionForMessage(std::string_view name) {
    const std::string quoted = quotedForMessage(name);
    return quoted.size() == name.size() + 2 && quoted.substr(1, name.size()) == name
               ? std::string(name)
               : quoted;
}

}  // namespace

std::optional<RenderOptions> parseRenderOptions(int argc, const char* const* argv,
                                                std::string& error) {
    RenderOptions options;
    std::set<std::string_view> given;
    for (int i = 0; i < argc; ++i) {
        std::string_view name = argv[i];
        if (name == "--help" || name == "-h") {
            options.helpWanted = true;
            return options;
        }
        if (name == "--version") {
            options.versionWanted = true;
            return options;
        }
        std::string_view value;
        const auto equals = name.find('=');
        if (name.starts_with("--") && equals != std::string_view::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            error = "option " + optionForMessage(name) + " needs a value";
            return std::nullopt;
        }

        if (!given.insert(name).second) {
            error = "option " + optionForMessage(name) + " is given twice";
            return std::nullopt;
        }
        if (name == "--engine") {
            options.engine = value;
        } else if (name == "--gesture") {
            options.gesturePath = value;
        } else if (name == "--performance") {
            options.performancePath = value;
        } else if (name == "--out") {
            options.outPath = value;
        } else if (name == "--settings") {
            options.settingsPath = value;
        } else if (name == "--screen") {
            if (!parseScreen(value, options.screen, error)) {
                return std::nullopt;
            }
            options.screenGiven = true;
        } else if (name == "--duration") {
            int64_t duration = 0;
            const Number read = parseWhole(value, duration);
            if (read == Number::tooBig && !value.starts_with('-')) {
                error = tooBig("--duration", value);
                return std::nullopt;
            }
            if (read != Number::whole || duration <= 0) {
                error = "--duration wants a whole number of milliseconds above zero, got " +
                        quotedForMessage(value);
                return std::nullopt;
            }
            options.durationMs = duration;
        } else if (name == "--layout") {
            if (!parseLayoutOption(value, options.playing, error)) {
                return std::nullopt;
            }
        } else if (name == "--correction") {
            if (!parseCorrectionOption(value, options.playing, error)) {
                return std::nullopt;
            }
        } else if (name == "--glide") {
            if (!parseGlideOption(value, options.playing, error)) {
                return std::nullopt;
            }
        } else if (name == "--concert-pitch") {
            if (!parseConcertPitchOption(value, options.playing, error)) {
                return std::nullopt;
            }
        } else if (name == "--loudness") {
            if (!parseLoudnessOption(value, options.playing, error)) {
                return std::nullopt;
            }
        } else if (name == "--soundfont") {
            options.soundFontPath = value;
        } else if (name == "--format") {
            if (!parseFormatOption(value, options.format, error)) {
                return std::nullopt;
            }
        } else {
            error = "unknown option " + quotedForMessage(name);
            return std::nullopt;
        }
    }
    if (!options.performancePath.empty()) {
        if (!options.gesturePath.empty() || options.outPath.empty()) {
            error = "--performance wants --out and no --gesture";
            return std::nullopt;
        }
        // The performance's own page, known once it is read.
        return options;
    }
    if (options.engine.empty() || options.gesturePath.empty() || options.outPath.empty()) {
        error = "--engine, --gesture and --out are required";
        return std::nullopt;
    }
    if (options.engine != "wave" && options.engine != "dsound" && options.engine != "midi") {
        error =
            "unknown engine " + quotedForMessage(options.engine) + ": choose wave, dsound or midi";
        return std::nullopt;
    }
    return options;
}
