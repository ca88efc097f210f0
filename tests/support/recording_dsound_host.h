#pragma once
// The DirectSound page as its engine sees it: records what the engine shows and asks for.

#include <string>
#include <vector>

#include "engine/dsound/dsound_engine_host.h"

namespace testing_support {

class RecordingDirectSoundHost final : public engine::DirectSoundEngineHost {
  public:
    struct Message {
        std::string text;
        std::string caption;
        friend bool operator==(const Message&, const Message&) = default;
    };

    void showPlaying() override { note("showPlaying"); }
    void showStopped() override { note("showStopped"); }
    uintptr_t windowHandle() override { return 0x4711; }
    void postStatus(const char* text) override { statuses.emplace_back(text); }
    void requestMessage(const char* text, const char* caption) override {
        requested.push_back({text, caption});
    }

    std::vector<std::string>* journal = nullptr;
    std::vector<std::string> shown;
    std::vector<std::string> statuses;
    std::vector<Message> requested;

  private:
    void note(const char* what) {
        shown.emplace_back(what);
        if (journal != nullptr) {
            journal->emplace_back(what);
        }
    }
};

}  // namespace testing_support
