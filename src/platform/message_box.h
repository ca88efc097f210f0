#pragma once
// Message boxes for device, file and settings failures. The Qt layer provides the real one;
// engine and settings code only see this interface.

#include <string>
#include <utility>

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

// A box asked for where none may open: in a notification handler or a timer step.
struct BoxRequest {
    std::string text;
    std::string caption;
    MessageBoxStyle style = MessageBoxStyle::OkExclamation;
    // What failed, e.g. "wave recording write". Requests with the same cause are one box: a
    // repeat is dropped while one waits or shows. Empty: every request is its own box.
    std::string cause = {};
    // The cause is shown once and then dropped until resetCause() (a failure that repeats every
    // buffer or step). Otherwise it may show again once its box has been closed.
    bool oncePerCause = false;
};

// Boxes that are queued instead of opened: the GUI thread shows them later from its event loop,
// one at a time, never inside another box or a handler. No answer comes back.
class MessageBoxQueue {
  public:
    virtual ~MessageBoxQueue() = default;
    // Any thread; never waits.
    virtual void request(BoxRequest box) = 0;
    // Any thread. The cause may be shown again (a new recording, a new Play).
    virtual void resetCause(const std::string& cause) = 0;
};

}  // namespace platform
