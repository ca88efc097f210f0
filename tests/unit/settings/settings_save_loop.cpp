// Saves the settings into the registry file of $XDG_CONFIG_HOME over and over, alternating the
// two value sets (the second one first), until it is killed. Writes "saving" to stdout once it
// is about to begin, so that the killer knows the next moments fall inside saves.

#include <unistd.h>

#include <cstdio>

#include "settings/settings_store.h"
#include "settings_value_sets.h"

namespace {

class StderrMessages final : public platform::MessageBox {
  public:
    int show(const std::string& text, const std::string& caption,
             platform::MessageBoxStyle /*style*/) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return platform::MessageBoxResult::IDOK;
    }
};

}  // namespace

int main() {
    StderrMessages messages;
    (void)!::write(STDOUT_FILENO, "saving\n", 7);
    for (unsigned round = 1;; ++round) {
        settings_test::applyValueSet(settings_test::valueSets[round % 2]);
        if (!settings::saveSettings(nullptr, messages)) {
            return 1;
        }
    }
}
