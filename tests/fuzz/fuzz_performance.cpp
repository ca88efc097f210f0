// Arbitrary bytes as a performance file: parsing either fails with a message or gives a
// performance whose text reads back as the same performance.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/performance_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    const auto performance =
        files::parsePerformance(std::string_view(reinterpret_cast<const char*>(data), size), error);
    if (performance) {
        const auto again = files::parsePerformance(files::performanceText(*performance), error);
        if (!again || *again != *performance) {
            __builtin_trap();  // what was written must read back unchanged
        }
    } else if (error.empty()) {
        __builtin_trap();  // a refusal must say why
    }
    return 0;
}
