#include "surface/surface_painter.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "engine/tone/note_readout.h"
#include "engine/tone/pitch_layout.h"

namespace surface {

namespace {

// Dark and slightly translucent, so the desktop shows through where a compositor allows it.
const QColor kBackground(10, 12, 18, 230);
const QColor kNatural(190, 205, 235, 170);
const QColor kSharp(120, 135, 165, 95);
const QColor kTooNarrow(120, 135, 165, 30);
const QColor kScaleNote(150, 225, 190, 230);  // while correcting: the notes pulled toward
const QColor kLabel(225, 232, 245);
const QColor kScale(230, 190, 110, 110);
const QColor kMarker(255, 196, 64);

constexpr int kLabelMargin = 4;
constexpr double kSmallestDisc = 6.0;
constexpr double kDiscGrowth = 30.0;  // added to the radius at the loudest

QFont sizedFont(const QFont& base, int pixelSize, bool bold = false) {
    QFont font(base);
    font.setPixelSize(std::max(pixelSize, 8));
    font.setBold(bold);
    return font;
}

void paintLoudnessScale(QPainter& painter, const NoteGuide& guide, QSize size) {
    painter.setFont(sizedFont(painter.font(), 12));
    QPen pen(kScale);
    pen.setStyle(Qt::DashLine);
    for (const LoudnessMark& mark : guide.loudness) {
        painter.setPen(pen);
        painter.drawLine(0, mark.y, size.width(), mark.y);
        painter.setPen(kScale.lighter(150));
        const int baseline = mark.y < size.height() / 2 ? mark.y + 16 : mark.y - kLabelMargin;
        painter.drawText(QRect(0, baseline - 14, size.width() - kLabelMargin, 16),
                         Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("loudness %1").arg(mark.loudness));
    }
}

}  // namespace

QRect titleArea(QSize size) {
    return {0, size.height() / 12, size.width(), size.height() / 6};
}

QRect discArea(QPoint pointer) {
    const int reach = static_cast<int>(kSmallestDisc + kDiscGrowth) + 3;
    return {pointer.x() - reach, pointer.y() - reach, 2 * reach + 1, 2 * reach + 1};
}

std::optional<MarkerNote> markerNote(const engine::SoundingNote& sounding) {
    double exact = 0;
    switch (sounding.kind) {
        case engine::SoundingNote::Kind::silent:
            return std::nullopt;
        case engine::SoundingNote::Kind::frequency:
            if (sounding.value <= 0) {
                return std::nullopt;
            }
            exact = engine::pitchFromFrequency(sounding.value);
            break;
        case engine::SoundingNote::Kind::note:
            exact = sounding.value;
            break;
    }
    // The status bar's "nearest note and cents" readout takes them from the same function.
    const std::optional<engine::NoteAndCents> nearest = engine::nearestNoteAndCents(exact);
    if (!nearest) {
        return std::nullopt;
    }
    MarkerNote marker;
    marker.note = nearest->note;
    marker.cents = nearest->cents;
    marker.name = shortNoteName(marker.note);
    return marker;
}

namespace {

void paintLabels(QPainter& painter, const std::vector<const GuideLine*>& drawn) {
    // Labels never overprint one another. The roots are placed first, so that a crowded scale
    // still shows where it starts; the rest follow left to right where there is room.
    std::vector<std::pair<int, int>> taken;
    const auto place = [&](const GuideLine& line) {
        const int from = line.x + kLabelMargin;
        const int to = from + kLabelMargin + painter.fontMetrics().horizontalAdvance(line.label);
        for (const auto& [start, end] : taken) {
            if (from < end && start < to) {
                return;
            }
        }
        taken.emplace_back(from, to);
        // The root is named in the marker's colour, so the scale reads from its first note.
        painter.setPen(line.root ? kMarker : kLabel);
        painter.drawText(from, 40, line.label);
    };
    for (const bool roots : {true, false}) {
        for (const GuideLine* line : drawn) {
            if (!line->label.isEmpty() && line->root == roots) {
                place(*line);
            }
        }
    }
}

}  // namespace

void paintGuide(QPainter& painter, const NoteGuide& guide, QSize size) {
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(QPoint(0, 0), size), kBackground);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setFont(sizedFont(painter.font(), 13, true));
    std::optional<int32_t> drawnColumn;
    std::vector<const GuideLine*> drawn;
    for (const GuideLine& line : guide.lines) {
        // Where semitones crowd into one column, its first line alone is drawn: stacked faint
        // lines would add up to a bright one.
        if (drawnColumn == line.x) {
            continue;
        }
        drawnColumn = line.x;
        drawn.push_back(&line);
        const bool aimable = line.laneWidth >= kNarrowestLane;
        if (!aimable || !line.inScale) {
            painter.setPen(kTooNarrow);
        } else if (guide.correcting) {
            painter.setPen(line.root ? QPen(kMarker, 3) : QPen(kScaleNote, 2));
        } else {
            painter.setPen(line.natural ? kNatural : kSharp);
        }
        painter.drawLine(line.x, 0, line.x, size.height());
    }
    paintLabels(painter, drawn);
    paintLoudnessScale(painter, guide, size);
}

void paintMarker(QPainter& painter, QSize size, std::optional<QPoint> pointer,
                 const engine::SoundingNote& sounding, int32_t loudest) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    const std::optional<MarkerNote> note = markerNote(sounding);
    const QRect title = titleArea(size);
    if (note) {
        painter.setPen(kMarker);
        painter.setFont(sizedFont(painter.font(), size.height() / 10, true));
        const QString name =
            note->name.isEmpty() ? QStringLiteral("note %1").arg(note->note) : note->name;
        painter.drawText(title, Qt::AlignHCenter | Qt::AlignTop, name);
        painter.setFont(sizedFont(painter.font(), size.height() / 30));
        painter.drawText(title, Qt::AlignHCenter | Qt::AlignBottom,
                         QStringLiteral("%1%2 cents")
                             .arg(note->cents > 0 ? QStringLiteral("+") : QString())
                             .arg(note->cents));
    } else {
        painter.setPen(kLabel);
        painter.setFont(sizedFont(painter.font(), size.height() / 40));
        painter.drawText(title, Qt::AlignHCenter | Qt::AlignVCenter,
                         QStringLiteral("Space plays or stops, Esc or F11 leaves"));
    }
    if (!pointer) {
        return;
    }
    const double share =
        loudest > 0 ? std::clamp(static_cast<double>(sounding.loudness) / loudest, 0.0, 1.0) : 0.0;
    const double radius = note ? kSmallestDisc + kDiscGrowth * share : kSmallestDisc;
    QColor fill = kMarker;
    fill.setAlphaF(note ? 0.25 + 0.6 * share : 0.15);
    painter.setPen(QPen(kMarker, 2));
    painter.setBrush(fill);
    painter.drawEllipse(QPointF(*pointer), radius, radius);
}

}  // namespace surface
