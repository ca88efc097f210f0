#pragma once
// A message box that shows nothing: it records each request and answers with a chosen button.

#include <string>
#include <vector>

#include "platform/message_box.h"

namespace testing_support {

class RecordingMessageBox : public platform::MessageBox {
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

    int answer;
    std::vector<Shown> shown;
};

}  // namespace testing_support
