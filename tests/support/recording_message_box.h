#pragma once
// A message box that shows nothing: it records each box, shown or queued, and answers a shown one
// with a chosen button.

#include <string>
#include <vector>

#include "platform/message_box.h"

namespace testing_support {

class RecordingMessageBox : public platform::MessageBox, public platform::MessageBoxQueue {
  public:
    struct Shown {
        std::string text;
        std::string caption;
        platform::MessageBoxStyle style;
    };

    explicit RecordingMessageBox(int button = platform::MessageBoxResult::IDOK) : answer(button) {}

    int show(const std::string& text, const std::string& caption,
             platform::MessageBoxStyle style) override {
        shown.push_back({text, caption, style});
        return answer;
    }

    void request(platform::BoxRequest box) override {
        shown.push_back({box.text, box.caption, box.style});
        queued.push_back(std::move(box));
    }
    void resetCause(const std::string& cause) override { resets.push_back(cause); }

    int answer;
    std::vector<Shown> shown;                  // both kinds, in order
    std::vector<platform::BoxRequest> queued;  // the queued ones only
    std::vector<std::string> resets;
};

}  // namespace testing_support
