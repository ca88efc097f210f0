#include "files/failure_text.h"

namespace files {

std::string failureText(std::string what, const RiffFile& file) {
    const std::string& reason = file.lastReason();
    if (reason.empty()) {
        return what;
    }
    if (!what.empty() && what.back() == '.') {
        what.pop_back();
    }
    return what + ": " + reason + ".";
}

std::string writeFailureText(const RiffFile& file) {
    return failureText("Can't write to the recording " + file.fileName() + ".", file) +
           " The recording keeps what it holds so far.";
}

}  // namespace files
