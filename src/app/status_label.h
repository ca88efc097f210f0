#pragma once
// The status bar's text: a text wider than the bar is shortened in the middle and shown whole in
// the tooltip, so a note is never cut off unseen. The bar does not grow with its text.
//
// Thread: GUI.

#include <QLabel>
#include <QString>

namespace app {

class StatusLabel : public QLabel {
  public:
    explicit StatusLabel(QWidget* parent);

    void setFullText(const QString& text);
    const QString& fullText() const { return full; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void fit();

    QString full;
};

}  // namespace app
