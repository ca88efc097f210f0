#pragma once
// PlaySurface: the whole primary screen as the instrument. A frameless full-screen window, dark
// and (where a compositor allows) translucent, that shows where the notes of the page on top
// lie and what is sounding. Every pointer event over it reaches the application's cursor source
// in screen coordinates, so the pointer is heard anywhere on the screen on Wayland too, where no
// program may read the pointer outside its own windows.
//
// Thread: GUI.

#include <QImage>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

#include "engine/tone/sounding_note.h"
#include "surface/note_guide.h"

namespace surface {

// The mapping of the sound page, Midi or not. Null reads as the Wave page's.
GuideMapping mappingOfPage(const QWidget* page);

class PlaySurface : public QWidget {
  public:
    // Where a play back on the page on top has its pointer, in device pixels from the primary
    // screen's corner; nothing while the page plays from the real pointer.
    using ReplayedPointer = std::function<std::optional<QPoint>()>;

    // `mappingOnTop` tells which mapping the page on top plays by, `replayedOnTop` where its play
    // back's pointer is; both asked at every frame.
    explicit PlaySurface(std::function<GuideMapping()> mappingOnTop,
                         ReplayedPointer replayedOnTop = {});
    ~PlaySurface() override;

    // Shows the surface full screen on the primary screen and remembers that it is shown.
    void enter();
    // Hides it and remembers that it is hidden (Esc, F11, or the window manager's close).
    void leave();

    // The guide as last drawn.
    const NoteGuide& guide() const { return drawnGuide; }
    // Where the disc is drawn: the pointer over the surface, or a play back's.
    std::optional<QPoint> disc() const { return pointer; }

    // One frame: redraws what changed since the last one. The surface's clock calls it while it
    // is shown: every display frame while a note sounds, a few times a second while none does.
    void followFrame();
    // The clock's interval now, in milliseconds (0 while hidden).
    int framePace() const { return frameTimer.isActive() ? frameTimer.interval() : 0; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void redrawGuideIfChanged();
    void moveDisc(std::optional<QPoint> to);
    void followReplay();

    std::function<GuideMapping()> mappingOnTop;
    ReplayedPointer replayedOnTop;
    bool showingReplay = false;
    QTimer frameTimer;
    std::optional<GuideKey> drawnKey;
    NoteGuide drawnGuide;
    QImage guideImage;  // the guide, painted once per change
    engine::SoundingNote shownNote;
    std::optional<QPoint> pointer;  // in the surface's coordinates
};

}  // namespace surface
