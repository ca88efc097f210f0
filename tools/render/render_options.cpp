#include "render_options.h"

#include <charconv>
#include <string_view>

namespace {

bool parseWhole(std::string_view text, int64_t& value) {
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    return failure == std::errc() && end == text.data() + text.size();
}

bool parseScreen(std::string_view text, ScreenSize& screen) {
    const auto cross = text.find('x');
    int64_t width = 0;
    int64_t height = 0;
    if (cross == std::string_view::npos || !parseWhole(text.substr(0, cross), width) ||
        !parseWhole(text.substr(cross + 1), height)) {
        return false;
    }
    if (width <= 0 || height <= 0 || width > 100000 || height > 100000) {
        return false;
    }
    screen = ScreenSize{static_cast<int32_t>(width), static_cast<int32_t>(height)};
    return true;
}

}  // namespace

std::optional<RenderOptions> parseRenderOptions(int argc, const char* const* argv,
                                                std::string& error) {
    RenderOptions options;
    for (int i = 0; i < argc; ++i) {
        std::string_view name = argv[i];
        if (name == "--help" || name == "-h") {
            options.helpWanted = true;
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
            error = "option " + std::string(name) + " needs a value";
            return std::nullopt;
        }

        if (name == "--engine") {
            options.engine = value;
        } else if (name == "--gesture") {
            options.gesturePath = value;
        } else if (name == "--out") {
            options.outPath = value;
        } else if (name == "--settings") {
            options.settingsPath = value;
        } else if (name == "--screen") {
            if (!parseScreen(value, options.screen)) {
                error = "--screen wants WIDTHxHEIGHT with both above zero, got '" +
                        std::string(value) + "'";
                return std::nullopt;
            }
        } else if (name == "--duration") {
            int64_t duration = 0;
            if (!parseWhole(value, duration) || duration <= 0) {
                error = "--duration wants a whole number of milliseconds above zero, got '" +
                        std::string(value) + "'";
                return std::nullopt;
            }
            options.durationMs = duration;
        } else {
            error = "unknown option '" + std::string(name) + "'";
            return std::nullopt;
        }
    }
    if (options.engine.empty() || options.gesturePath.empty() || options.outPath.empty()) {
        error = "--engine, --gesture and --out are required";
        return std::nullopt;
    }
    if (options.engine != "wave" && options.engine != "dsound" && options.engine != "midi") {
        error = "unknown engine '" + options.engine + "': choose wave, dsound or midi";
        return std::nullopt;
    }
    return options;
}
