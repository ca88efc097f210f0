#pragma once
// FirstStartHint: what the window says at a first start (no settings stored yet): how to play,
// and the Semitones layout in one click, since the designed Hertz layout crowds the notes most
// tunes use into the leftmost tenth of the screen. It sits under the pages, never over them,
// and leaves with Close or Esc. A start with settings never shows it.
//
// Thread: GUI.

#include <QFrame>
#include <functional>

class QLabel;
class QPushButton;

namespace app {

class FirstStartHint : public QFrame {
  public:
    // `chooseSemitones` sets the layout; the button then says it is on. Close deletes the hint.
    FirstStartHint(QWidget* parent, std::function<void()> chooseSemitones);

    static bool isFirstStart();  // no settings store yet (the registry file is missing)

    QPushButton* semitonesButton() const { return semitones; }
    QPushButton* closeButton() const { return close; }
    QString text() const;

  private:
    QLabel* label;
    QPushButton* semitones;
    QPushButton* close;
};

}  // namespace app
