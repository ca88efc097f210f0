#pragma once
// The spin boxes of the Playing page that show more than a number: a MIDI note with its name
// ("A2 (45)"), and the glide, whose lowest value is the designed "classic" slew. Thread: GUI.

#include <QSpinBox>

namespace prefs {

// MIDI notes 0..127, shown "A2 (45)" (the number alone where the readout has no name); typed as
// a number, a name ("C#4", "Db4") or as shown.
class NoteSpinBox : public QSpinBox {
  public:
    explicit NoteSpinBox(QWidget* parent = nullptr);

  protected:
    QString textFromValue(int value) const override;
    int valueFromText(const QString& text) const override;
    QValidator::State validate(QString& text, int& position) const override;
    // A note beyond the range (the other edge's note) is held at its end, not dropped.
    void fixup(QString& text) const override;
};

// "classic" (settings::glideClassic), or 0..5000 ms in steps of 10, the first step up from
// classic landing on 0.
class GlideSpinBox : public QSpinBox {
  public:
    explicit GlideSpinBox(QWidget* parent = nullptr);
    void stepBy(int steps) override;
};

}  // namespace prefs
