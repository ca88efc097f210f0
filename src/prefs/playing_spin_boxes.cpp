#include "prefs/playing_spin_boxes.h"

#include <QRegularExpression>
#include <algorithm>
#include <optional>

#include "engine/tone/note_readout.h"
#include "settings/playing_names.h"
#include "settings/playing_values.h"

namespace prefs {

namespace {

constexpr int kGlideStepMs = 10;

// "60", "C4", "C#4", "Db4", or the shown "C4 (60)"; nothing for anything else.
std::optional<int> noteFromText(const QString& typed) {
    const QString text = typed.trimmed();
    static const QRegularExpression shown(QStringLiteral(R"(^\S*\s*\((\d{1,3})\)$)"));
    static const QRegularExpression number(QStringLiteral(R"(^\d{1,3}$)"));
    static const QRegularExpression named(QStringLiteral(R"(^([A-Ga-g][#b]?)(-1|\d)$)"));
    std::optional<int> note;
    if (const auto match = shown.match(text); match.hasMatch()) {
        note = match.captured(1).toInt();
    } else if (number.match(text).hasMatch()) {
        note = text.toInt();
    } else if (const auto name = named.match(text); name.hasMatch()) {
        if (const auto pitchClass = settings::parseRoot(name.captured(1).toStdString())) {
            note = (name.captured(2).toInt() + 1) * 12 + *pitchClass;
        }
    }
    if (note && (*note < 0 || *note > settings::highestMidiNote)) {
        return std::nullopt;
    }
    return note;
}

}  // namespace

NoteSpinBox::NoteSpinBox(QWidget* parent) : QSpinBox(parent) {
    setRange(0, settings::highestMidiNote);
}

QString NoteSpinBox::textFromValue(int value) const {
    // The readout's name ("A 2", "C#4"; "---" outside the piano) without its blank.
    QString name = QString::fromLatin1(engine::noteName(value).c_str());
    if (name.startsWith(QLatin1Char('-'))) {
        return QString::number(value);
    }
    return QStringLiteral("%1 (%2)").arg(name.remove(QLatin1Char(' '))).arg(value);
}

int NoteSpinBox::valueFromText(const QString& text) const {
    return noteFromText(text).value_or(value());
}

QValidator::State NoteSpinBox::validate(QString& text, int& /*position*/) const {
    if (const auto note = noteFromText(text)) {
        return *note >= minimum() && *note <= maximum() ? QValidator::Acceptable
                                                        : QValidator::Intermediate;
    }
    // Half typed ("C#", "A (") may still become a note; anything longer than the shown form
    // cannot.
    return text.size() <= 10 ? QValidator::Intermediate : QValidator::Invalid;
}

void NoteSpinBox::fixup(QString& text) const {
    if (const auto note = noteFromText(text)) {
        text = textFromValue(std::clamp(*note, minimum(), maximum()));
    }
}

GlideSpinBox::GlideSpinBox(QWidget* parent) : QSpinBox(parent) {
    setRange(settings::glideClassic, settings::glideMaxMs);
    setSingleStep(kGlideStepMs);
    setSpecialValueText(QStringLiteral("classic"));
    setSuffix(QStringLiteral(" ms"));
}

void GlideSpinBox::stepBy(int steps) {
    // Whole steps from 0, so classic (-1) is one step below 0 rather than ten.
    const int now = value();
    if (now == settings::glideClassic) {
        setValue(steps > 0 ? (steps - 1) * kGlideStepMs : now);
    } else if (now + steps * kGlideStepMs < 0) {
        setValue(settings::glideClassic);
    } else {
        setValue(now + steps * kGlideStepMs);
    }
}

}  // namespace prefs
