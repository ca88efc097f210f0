// Arbitrary bytes as a gesture file: parsing either fails with a message or gives points that
// answer every cursor query.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "gesture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    const auto gesture =
        Gesture::parse(std::string_view(reinterpret_cast<const char*>(data), size), error);
    if (gesture) {
        for (int64_t t :
             {int64_t{-1}, int64_t{0}, gesture->lastTimeMs(), gesture->lastTimeMs() + 1}) {
            (void)gesture->cursorAt(t);
        }
    } else if (error.empty()) {
        __builtin_trap();  // a refusal must say why
    }
    return 0;
}
