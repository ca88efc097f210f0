#pragma once
// Drawing the play surface: the note guide (painted once per change into a cached image) and the
// live marker over it (painted each frame).
//
// Thread: GUI.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

#include "engine/tone/sounding_note.h"
#include "surface/note_guide.h"

class QPainter;

namespace surface {

// The note being played as the marker names it: the nearest semitone and the offset from it.
struct MarkerNote {
    QString name;  // "A4"; empty outside the named notes
    int32_t note = 0;
    int32_t cents = 0;  // -50..50
};

// Where the marker's note name and cents are written.
QRect titleArea(QSize size);
// What the disc at the pointer may cover, its outline included.
QRect discArea(QPoint pointer);

// Nothing while no page sounds.
std::optional<MarkerNote> markerNote(const engine::SoundingNote& sounding);

// Background, semitone lines with their labels, and the loudness scale.
void paintGuide(QPainter& painter, const NoteGuide& guide, QSize size);

// The note name and cents in large type, and a disc at the pointer whose size and brightness
// show the loudness (`loudest` is the loudness at the top edge).
void paintMarker(QPainter& painter, QSize size, std::optional<QPoint> pointer,
                 const engine::SoundingNote& sounding, int32_t loudest);

}  // namespace surface
