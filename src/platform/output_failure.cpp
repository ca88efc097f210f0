#include "platform/output_failure.h"

namespace platform {

std::string outputFailureText(const std::string& reason) {
    return reason.empty() ? "The sound output could not be opened." : reason;
}

}  // namespace platform
