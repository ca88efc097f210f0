#pragma once
// Message boxes for device, file and settings failures. The Qt layer provides the real one;
// engine and settings code only see this interface.

#include <string>

namespace platform {

enum class MessageBoxStyle {
    OkExclamation,       // OK button, exclamation icon
    Ok,                  // OK button, no icon
    YesNoCancelQuestion  // Yes, No and Cancel buttons, question icon
};

// What show() returns: the button that closed the box.
namespace MessageBoxResult {
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
}  // namespace MessageBoxResult

class MessageBox {
  public:
    virtual ~MessageBox() = default;

    // Shows `text` with the title `caption` and waits until the user closes it. Thread: GUI, or
    // timer (an implementation asked from another thread hands the box to the GUI thread and
    // waits); never audio.
    virtual int show(const std::string& text, const std::string& caption,
                     MessageBoxStyle style) = 0;
};

}  // namespace platform
