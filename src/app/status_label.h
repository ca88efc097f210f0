#pragma once
// The status bar's text: a text wider than the bar is shortened in the middle and shown whole in
// the tooltip, so a note is never cut off unseen. The bar does not grow with its text.
//
// A playing page changes the text several times a second, so a change costs one repaint of the
// text alone: no relayout of the bar (as a QLabel's new text asks for) and no shaping to measure
// a text that plainly fits.
//
// Thread: GUI.

#include <QFrame>
#include <QString>

namespace app {

class StatusLabel : public QFrame {
  public:
    explicit StatusLabel(QWidget* parent);

    void setFullText(const QString& text);
    const QString& fullText() const { return full; }
    // What the bar shows: the text on one line, shortened to fit.
    const QString& text() const { return shown; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // Room at each side of the text: as a label leaves, none without a frame.
    int padding() const;
    // True when `line` surely fits in `room` pixels, found without shaping it: printable ASCII
    // no wider than its length in the font's widest such character.
    bool plainlyFits(const QString& line, int room);
    void fit();

    QString full;
    QString shown;
    int widestAscii = 0;  // measured at the first need, again after a font change
};

}  // namespace app
