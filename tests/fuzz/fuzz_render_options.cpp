// lirveto-render's command line: any argument list is either refused with one line saying why
// or gives options a render can use as they stand.

#include <cstddef>
#include <cstdint>
#include <string>

#include "argument_list.h"
#include "fuzz_check.h"
#include "render_options.h"
#include "settings/playing_values.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ArgumentList arguments(data, size);
    std::string error;
    const auto options = parseRenderOptions(arguments.count(), arguments.values(), error);
    if (!options) {
        check(!error.empty() && error.find('\n') == std::string::npos);
        return 0;
    }
    if (options->helpWanted || options->versionWanted) {
        return 0;
    }
    check(options->engine == "wave" || options->engine == "dsound" || options->engine == "midi");
    check(!options->gesturePath.empty() && !options->outPath.empty());
    check(options->screen.width > 0 && options->screen.height > 0);
    check(!options->durationMs || *options->durationMs > 0);
    // The playing aids arrive within the ranges the engines and the settings files hold.
    const PlayingOptions& aids = options->playing;
    check(!aids.layout || aids.layout->layout != settings::PitchLayout::Semitones ||
          (aids.layout->lowNote >= 0 && aids.layout->lowNote < aids.layout->highNote &&
           aids.layout->highNote <= settings::highestMidiNote));
    check(!aids.correction || !aids.correction->on ||
          (aids.correction->root >= 0 && aids.correction->root < 12 &&
           aids.correction->strength >= 0 &&
           aids.correction->strength <= settings::strengthMaxPercent &&
           aids.correction->rateMs >= 0 &&
           aids.correction->rateMs <= settings::correctionRateMaxMs));
    check(!aids.glide || *aids.glide == settings::glideClassic ||
          (*aids.glide >= 0 && *aids.glide <= settings::glideMaxMs));
    return 0;
}
