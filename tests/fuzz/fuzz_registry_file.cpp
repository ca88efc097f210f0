// Registry file text: parsing never fails badly, and what parses survives writing and reading.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    platform::RegistryContents contents;
    if (!platform::parseRegistryFile(text, contents)) {
        return 0;
    }
    const std::string written = platform::formatRegistryFile(contents);
    platform::RegistryContents again;
    check(platform::parseRegistryFile(written, again));
    check(again.keyPresent);
    check(again.values == contents.values);
    check(platform::formatRegistryFile(again) == written);
    return 0;
}
