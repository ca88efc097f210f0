#pragma once
// TSetPlaying: the "Playing" page of the Options sheet: how the pointer's x is laid out in pitch
// (hertz as designed, or even semitones between a low and a high note), the correction toward a
// scale (on or off, scale, root, strength, rate), the DirectSound page's glide, the concert
// pitch and the loudness curve. Thread: GUI.

#include "controls/context_help_win.h"
#include "framework/property_sheet.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QRadioButton;
class QSpinBox;

class TSetPlaying : public framework::TPropertyPage, public controls::ContextHelpWin {
  public:
    static constexpr int resourceId = 500;
    static constexpr int layoutGroup = 501;
    static constexpr int hertzButton = 502;
    static constexpr int semitonesButton = 503;
    static constexpr int lowNoteLabel = 504;
    static constexpr int lowNoteBox = 505;
    static constexpr int highNoteLabel = 506;
    static constexpr int highNoteBox = 507;
    static constexpr int correctionGroup = 508;
    static constexpr int correctionBox = 509;
    static constexpr int scaleLabel = 510;
    static constexpr int scaleCombo = 511;
    static constexpr int rootLabel = 512;
    static constexpr int rootCombo = 513;
    static constexpr int strengthLabel = 514;
    static constexpr int strengthBox = 515;
    static constexpr int rateLabel = 516;
    static constexpr int rateBox = 517;
    static constexpr int glideGroup = 518;
    static constexpr int glideLabel = 519;
    static constexpr int glideBox = 520;
    static constexpr int notesPagesLabel = 521;
    static constexpr int tuningGroup = 522;
    static constexpr int concertLabel = 523;
    static constexpr int concertBox = 524;
    static constexpr int loudnessLabel = 525;
    static constexpr int loudnessCombo = 526;
    static constexpr int rangeLabel = 527;
    static constexpr int rangeBox = 528;

    explicit TSetPlaying(QWidget* parent = nullptr);

    void TransferData(framework::TransferDirection direction) override;

    QSpinBox* spinBox(int id) const;
    QComboBox* comboBox(int id) const;
    QDoubleSpinBox* concertPitchBox() const;

  protected:
    QWidget* createItem(const framework::DialogItem& item) override;
    void setupWindow() override;

  private:
    LIRVETO_RESPONSE_TABLE2(TSetPlaying, framework::TPropertyPage, controls::ContextHelpWin);

    // The low note stays below the high one whichever is changed.
    void keepNotesApart();
    // The range counts only for loudness even in decibels.
    void showRangeInUse();
};
