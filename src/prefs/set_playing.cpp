#include "prefs/set_playing.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>
#include <cmath>
#include <utility>

#include "prefs/playing_spin_boxes.h"
#include "settings/playing_names.h"
#include "settings/playing_values.h"

namespace {

using framework::DialogItem;
using framework::ItemKind;

// The spin boxes are made by createItem; their template kind only reserves the place.
const DialogItem playingItems[] = {
    {TSetPlaying::layoutGroup, ItemKind::GroupBox, "Pointer layout", 6, 4, 177, 68},
    {TSetPlaying::hertzButton, ItemKind::RadioButton, "&Hertz: even in hertz, as designed", 14, 15,
     164, 10},
    {TSetPlaying::semitonesButton, ItemKind::RadioButton, "S&emitones: every note equally wide", 14,
     27, 164, 10},
    {TSetPlaying::lowNoteLabel, ItemKind::Static, "&Low note", 14, 44, 34, 9},
    {TSetPlaying::lowNoteBox, ItemKind::Edit, "", 48, 42, 44, 13},
    {TSetPlaying::highNoteLabel, ItemKind::Static, "H&igh note", 98, 44, 34, 9},
    {TSetPlaying::highNoteBox, ItemKind::Edit, "", 134, 42, 44, 13},
    {TSetPlaying::notesPagesLabel, ItemKind::Static, "Both notes: Wave and DirectSound pages", 14,
     58, 164, 9},
    {TSetPlaying::correctionGroup, ItemKind::GroupBox, "Pitch correction", 6, 76, 177, 70},
    {TSetPlaying::correctionBox, ItemKind::CheckBox, "&Correct toward the scale (Ctrl+T)", 14, 87,
     164, 10},
    {TSetPlaying::scaleLabel, ItemKind::Static, "&Scale", 14, 104, 24, 9},
    {TSetPlaying::scaleCombo, ItemKind::ComboBox, "", 40, 102, 82, 13},
    {TSetPlaying::rootLabel, ItemKind::Static, "&Root", 128, 104, 20, 9},
    {TSetPlaying::rootCombo, ItemKind::ComboBox, "", 150, 102, 28, 13},
    {TSetPlaying::strengthLabel, ItemKind::Static, "S&trength", 14, 124, 30, 9},
    {TSetPlaying::strengthBox, ItemKind::Edit, "", 46, 122, 42, 13},
    {TSetPlaying::rateLabel, ItemKind::Static, "R&ate", 98, 124, 20, 9},
    {TSetPlaying::rateBox, ItemKind::Edit, "", 120, 122, 58, 13},
    {TSetPlaying::glideGroup, ItemKind::GroupBox, "DirectSound page", 6, 150, 177, 30},
    {TSetPlaying::glideLabel, ItemKind::Static, "&Glide", 14, 164, 24, 9},
    {TSetPlaying::glideBox, ItemKind::Edit, "", 40, 162, 62, 13},
    {TSetPlaying::tuningGroup, ItemKind::GroupBox, "Every page", 6, 184, 177, 48},
    {TSetPlaying::concertLabel, ItemKind::Static, "Concert pitch A&4", 14, 198, 60, 9},
    {TSetPlaying::concertBox, ItemKind::Edit, "", 76, 196, 62, 13},
    {TSetPlaying::loudnessLabel, ItemKind::Static, "L&oudness", 14, 215, 34, 9},
    {TSetPlaying::loudnessCombo, ItemKind::ComboBox, "", 48, 213, 72, 13},
    {TSetPlaying::rangeLabel, ItemKind::Static, "Ra&nge", 124, 215, 20, 9},
    {TSetPlaying::rangeBox, ItemKind::Edit, "", 144, 213, 34, 13},
};

const framework::DialogTemplate playingTemplate{
    TSetPlaying::resourceId, "Playing", 189, 236, 8, playingItems};

// The letters of the labels lead to the fields they name.
constexpr std::pair<const char*, int> labelKeys[] = {
    {"Alt+L", TSetPlaying::lowNoteBox},    {"Alt+I", TSetPlaying::highNoteBox},
    {"Alt+S", TSetPlaying::scaleCombo},    {"Alt+R", TSetPlaying::rootCombo},
    {"Alt+T", TSetPlaying::strengthBox},   {"Alt+A", TSetPlaying::rateBox},
    {"Alt+G", TSetPlaying::glideBox},      {"Alt+4", TSetPlaying::concertBox},
    {"Alt+O", TSetPlaying::loudnessCombo}, {"Alt+N", TSetPlaying::rangeBox},
};

// Indexed by settings::LoudnessCurve.
constexpr const char* loudnessTitles[] = {"As designed", "Even in decibels"};

QString scaleTitle(std::string_view name) {
    // "major-pentatonic" reads "Major pentatonic" in the list; the files keep the name.
    QString title = QString::fromUtf8(name.data(), static_cast<int>(name.size()));
    title.replace(QLatin1Char('-'), QLatin1Char(' '));
    title[0] = title[0].toUpper();
    return title;
}

}  // namespace

std::span<const framework::Response<TSetPlaying>> TSetPlaying::responseTable() {
    return {};
}

TSetPlaying::TSetPlaying(QWidget* parent)
    : TPropertyPage(parent, playingTemplate),
      ContextHelpWin(this, controls::helptables::playingPrefs,
                     controls::helptables::playingPrefsContext) {}

QSpinBox* TSetPlaying::spinBox(int id) const {
    return qobject_cast<QSpinBox*>(item(id));
}

QComboBox* TSetPlaying::comboBox(int id) const {
    return qobject_cast<QComboBox*>(item(id));
}

QDoubleSpinBox* TSetPlaying::concertPitchBox() const {
    return qobject_cast<QDoubleSpinBox*>(item(concertBox));
}

QWidget* TSetPlaying::createItem(const DialogItem& entry) {
    switch (entry.id) {
        case lowNoteBox:
        case highNoteBox:
            return new prefs::NoteSpinBox(this);
        case strengthBox: {
            auto* box = new QSpinBox(this);
            box->setRange(0, settings::strengthMaxPercent);
            box->setSingleStep(5);
            box->setSuffix(QStringLiteral(" %"));
            return box;
        }
        case rateBox: {
            auto* box = new QSpinBox(this);
            box->setRange(0, settings::correctionRateMaxMs);
            box->setSingleStep(10);
            box->setSuffix(QStringLiteral(" ms"));
            return box;
        }
        case glideBox:
            return new prefs::GlideSpinBox(this);
        case concertBox: {
            auto* box = new QDoubleSpinBox(this);
            box->setDecimals(1);
            box->setRange(settings::concertPitchLowest / 10.0,
                          settings::concertPitchHighest / 10.0);
            box->setSingleStep(1.0);
            box->setSuffix(QStringLiteral(" Hz"));
            return box;
        }
        case rangeBox: {
            auto* box = new QSpinBox(this);
            box->setRange(settings::loudnessRangeLeast, settings::loudnessRangeMost);
            box->setSingleStep(5);
            box->setSuffix(QStringLiteral(" dB"));
            return box;
        }
        default:
            return TPropertyPage::createItem(entry);
    }
}

void TSetPlaying::setupWindow() {
    auto* layouts = new QButtonGroup(this);
    for (const int id : {hertzButton, semitonesButton}) {
        if (auto* button = qobject_cast<QRadioButton*>(item(id))) {
            layouts->addButton(button);
        }
    }
    if (QComboBox* scales = comboBox(scaleCombo)) {
        for (const std::string_view name : settings::scaleNames) {
            scales->addItem(scaleTitle(name));
        }
    }
    if (QComboBox* roots = comboBox(rootCombo)) {
        for (const std::string_view name : settings::rootNames) {
            roots->addItem(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
        }
    }
    if (QComboBox* curves = comboBox(loudnessCombo)) {
        for (const char* title : loudnessTitles) {
            curves->addItem(QString::fromUtf8(title));
        }
        connect(curves, &QComboBox::currentIndexChanged, this, [this] { showRangeInUse(); });
    }
    for (const int id : {lowNoteBox, highNoteBox}) {
        if (QSpinBox* box = spinBox(id)) {
            connect(box, &QSpinBox::valueChanged, this, [this] { keepNotesApart(); });
        }
    }
    for (const auto& [keys, target] : labelKeys) {
        auto* shortcut = new QShortcut(QKeySequence(QString::fromUtf8(keys)), this);
        connect(shortcut, &QShortcut::activated, this, [this, id = target] {
            if (QWidget* field = item(id)) {
                field->setFocus(Qt::ShortcutFocusReason);
            }
        });
    }
    TPropertyPage::setupWindow();
}

void TSetPlaying::keepNotesApart() {
    QSpinBox* low = spinBox(lowNoteBox);
    QSpinBox* high = spinBox(highNoteBox);
    if (low == nullptr || high == nullptr) {
        return;
    }
    low->setMaximum(high->value() - 1);
    high->setMinimum(low->value() + 1);
}

void TSetPlaying::showRangeInUse() {
    const QComboBox* curve = comboBox(loudnessCombo);
    const bool even = curve != nullptr && curve->currentIndex() == 1;
    for (const int id : {rangeLabel, rangeBox}) {
        if (QWidget* field = item(id)) {
            field->setEnabled(even);
        }
    }
}

void TSetPlaying::TransferData(framework::TransferDirection direction) {
    auto* hertz = qobject_cast<QRadioButton*>(item(hertzButton));
    auto* semitones = qobject_cast<QRadioButton*>(item(semitonesButton));
    auto* correction = qobject_cast<QCheckBox*>(item(correctionBox));
    QSpinBox* low = spinBox(lowNoteBox);
    QSpinBox* high = spinBox(highNoteBox);
    QComboBox* scale = comboBox(scaleCombo);
    QComboBox* root = comboBox(rootCombo);
    QSpinBox* strength = spinBox(strengthBox);
    QSpinBox* rate = spinBox(rateBox);
    QSpinBox* glide = spinBox(glideBox);
    QDoubleSpinBox* concert = concertPitchBox();
    QComboBox* loudness = comboBox(loudnessCombo);
    QSpinBox* range = spinBox(rangeBox);
    if (hertz == nullptr || semitones == nullptr || correction == nullptr || low == nullptr ||
        high == nullptr || scale == nullptr || root == nullptr || strength == nullptr ||
        rate == nullptr || glide == nullptr || concert == nullptr || loudness == nullptr ||
        range == nullptr) {
        return;
    }
    if (direction == framework::TransferDirection::setData) {
        const bool even = settings::CursorLayout == settings::PitchLayout::Semitones;
        hertz->setChecked(!even);
        semitones->setChecked(even);
        {
            // Both bounds opened first, and neither box held to the other's old value meanwhile.
            const QSignalBlocker quietLow(low);
            const QSignalBlocker quietHigh(high);
            low->setRange(0, settings::highestMidiNote);
            high->setRange(0, settings::highestMidiNote);
            low->setValue(settings::LowNote);
            high->setValue(settings::HighNote);
        }
        keepNotesApart();
        correction->setChecked(settings::Correction);
        scale->setCurrentIndex(static_cast<int>(settings::CorrectionScale.load()));
        root->setCurrentIndex((settings::CorrectionRoot % 12 + 12) % 12);
        strength->setValue(settings::CorrectionStrength);
        rate->setValue(settings::CorrectionRate);
        glide->setValue(settings::Glide);
        concert->setValue(settings::ConcertPitch / 10.0);
        loudness->setCurrentIndex(static_cast<int>(settings::Loudness.load()));
        range->setValue(settings::LoudnessRange);
        showRangeInUse();
        return;
    }
    // Text typed into a box and not yet left counts, as it shows.
    for (QSpinBox* box : {low, high, strength, rate, glide, range}) {
        box->interpretText();
    }
    concert->interpretText();
    settings::CursorLayout =
        semitones->isChecked() ? settings::PitchLayout::Semitones : settings::PitchLayout::Hertz;
    // The boxes keep them apart; a low note not below the high one never reaches the engines.
    if (low->value() < high->value()) {
        settings::LowNote = low->value();
        settings::HighNote = high->value();
    }
    settings::Correction = correction->isChecked();
    settings::CorrectionScale = static_cast<settings::MusicalScale>(
        std::clamp(scale->currentIndex(), 0, settings::scaleCount - 1));
    settings::CorrectionRoot = std::clamp(root->currentIndex(), 0, 11);
    settings::CorrectionStrength = strength->value();
    settings::CorrectionRate = rate->value();
    settings::Glide = glide->value();
    settings::ConcertPitch =
        std::clamp(static_cast<int32_t>(std::lround(concert->value() * 10.0)),
                   settings::concertPitchLowest, settings::concertPitchHighest);
    settings::Loudness = loudness->currentIndex() == 1 ? settings::LoudnessCurve::Decibels
                                                       : settings::LoudnessCurve::Designed;
    settings::LoudnessRange = range->value();
}
