#pragma once
// The pale note a context-help request shows at the cursor. As a pop-up it holds the pointer and
// keyboard while it is up, so it must give them back on its own: any key, any click (inside or
// outside it) or the program losing the focus closes it.

#include <QLabel>

namespace platform {

class HelpPopupWindow final : public QLabel {
  public:
    HelpPopupWindow();

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;
};

}  // namespace platform
