// INI profile text: lookups never fail, and a write changes exactly the value written.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/profile_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    using namespace platform::profile;

    const auto otherBefore = findValue(text, "Main", "ViewNoteMid");
    // Every lookup walks the whole text: a few names of each kind keep a run linear in the input
    // (a settings file has three sections and a few dozen keys).
    constexpr std::size_t namesLooked = 8;
    std::size_t sections = 0;
    for (std::string_view section : sectionNames(text)) {
        if (++sections > namesLooked) {
            break;
        }
        std::size_t keys = 0;
        for (std::string_view key : keyNames(text, section)) {
            if (++keys > namesLooked) {
                break;
            }
            findValue(text, section, key);
        }
    }

    const auto written = withValue(text, "Setup", "Volume", "42");
    check(written.has_value());
    check(findValue(*written, "setup", "VOLUME") == std::string_view("42"));
    check(findValue(*written, "Main", "ViewNoteMid") == otherBefore);

    const auto removed = withValue(*written, "Setup", "Volume", nullptr);
    check(removed.has_value());
    check(findValue(*removed, "Main", "ViewNoteMid") == otherBefore);

    const auto withoutMain = withoutSection(text, "Main");
    check(withoutMain.has_value() && withoutMain->size() <= text.size());
    return 0;
}
