// lirveto-render's command line: any argument list is either refused with one line saying why
// or gives options a render can use as they stand.

#include <cstddef>
#include <cstdint>
#include <string>

#include "argument_list.h"
#include "fuzz_check.h"
#include "render_options.h"

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
    return 0;
}
