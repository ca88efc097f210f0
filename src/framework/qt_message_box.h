#pragma once
// Message boxes on Qt: a caption, the text, OK (or Yes/No/Cancel with the question icon) and the
// exclamation icon where asked for.

#include <QPointer>
#include <QWidget>

#include "platform/message_box.h"

namespace framework {

class QtMessageBox : public platform::MessageBox {
  public:
    // `owner` (may be null) is the window the box is centred over and modal to.
    explicit QtMessageBox(QWidget* ownerWindow = nullptr) : owner(ownerWindow) {}

    // Any thread: from another thread the box is shown on the GUI thread and this call waits
    // for it to be dismissed.
    int show(const std::string& text, const std::string& caption,
             platform::MessageBoxStyle style) override;

  private:
    int showHere(const std::string& text, const std::string& caption,
                 platform::MessageBoxStyle style);

    QPointer<QWidget> owner;
};

}  // namespace framework
