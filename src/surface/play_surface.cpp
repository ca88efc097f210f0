#include "surface/play_surface.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <cmath>

#include "pages/midi_page.h"
#include "settings/settings_values.h"
#include "surface/surface_painter.h"

namespace surface {

namespace {

constexpr int kFallbackFrameMs = 16;
// While nothing sounds the clock only looks out for a Play (the disc follows the pointer by
// itself): a few looks a second instead of one a frame leave an idle machine be.
constexpr int kSilentLookMs = 250;

int frameInterval(const QScreen* screen) {
    const double rate = screen != nullptr ? screen->refreshRate() : 0.0;
    return rate >= 1.0 ? std::max(1, static_cast<int>(std::lround(1000.0 / rate)))
                       : kFallbackFrameMs;
}

}  // namespace

GuideMapping mappingOfPage(const QWidget* page) {
    return dynamic_cast<const pages::MidiPage*>(page) != nullptr ? GuideMapping::midi
                                                                 : GuideMapping::frequency;
}

PlaySurface::PlaySurface(std::function<GuideMapping()> pageMapping, ReplayedPointer replayed)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      mappingOnTop(std::move(pageMapping)),
      replayedOnTop(std::move(replayed)) {
    setWindowTitle(QStringLiteral("Lirveto play surface"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
    frameTimer.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer, &QTimer::timeout, this, [this] { followFrame(); });
}

PlaySurface::~PlaySurface() = default;

void PlaySurface::enter() {
    settings::PlaySurface = true;
    // The mappings measure the primary screen, so that is the one to cover.
    if (QScreen* primary = QGuiApplication::primaryScreen(); primary != nullptr) {
        setScreen(primary);
        setGeometry(primary->geometry());
    }
    showFullScreen();
    raise();
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
}

void PlaySurface::leave() {
    settings::PlaySurface = false;
    hide();
}

void PlaySurface::followFrame() {
    redrawGuideIfChanged();
    followReplay();
    const engine::SoundingNote now = engine::soundingNote();
    if (!(now == shownNote)) {
        shownNote = now;
        QRegion changed(titleArea(size()));
        if (pointer) {
            changed += discArea(*pointer);
        }
        update(changed);
    }
    if (frameTimer.isActive()) {
        const bool silent = now.kind == engine::SoundingNote::Kind::silent;
        const int pace = silent ? kSilentLookMs : frameInterval(screen());
        if (frameTimer.interval() != pace) {
            frameTimer.start(pace);
        }
    }
}

void PlaySurface::moveDisc(std::optional<QPoint> to) {
    if (to == pointer) {
        return;
    }
    QRegion changed;
    if (pointer) {
        changed += discArea(*pointer);
    }
    if (to) {
        changed += discArea(*to);
    }
    pointer = to;
    update(changed);
}

// While a play back sounds, the disc is where its reads are; the hand's pointer takes it again
// at its next move.
void PlaySurface::followReplay() {
    const std::optional<QPoint> replayed = replayedOnTop ? replayedOnTop() : std::nullopt;
    if (replayed) {
        const double scale = devicePixelRatioF();
        moveDisc(QPoint(static_cast<int>(replayed->x() / scale),
                        static_cast<int>(replayed->y() / scale)));
    } else if (showingReplay) {
        moveDisc(std::nullopt);
    }
    showingReplay = replayed.has_value();
}

void PlaySurface::redrawGuideIfChanged() {
    const GuideKey key =
        currentGuideKey(mappingOnTop ? mappingOnTop() : GuideMapping::frequency,
                        {static_cast<int32_t>(width()), static_cast<int32_t>(height())});
    if (drawnKey == key && guideImage.size() == size()) {
        return;
    }
    drawnKey = key;
    drawnGuide = buildNoteGuide(key);
    if (guideImage.size() != size()) {
        guideImage = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    }
    QPainter painter(&guideImage);
    paintGuide(painter, drawnGuide, size());
    update();
}

void PlaySurface::paintEvent(QPaintEvent* event) {
    redrawGuideIfChanged();
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    // Most frames change only the disc and the note: copy back just the guide under them.
    for (const QRect& area : event->region()) {
        painter.drawImage(area, guideImage, area);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    paintMarker(painter, size(), pointer, shownNote, drawnGuide.loudest);
}

void PlaySurface::keyPressEvent(QKeyEvent* event) {
    // F11 arrives here only where the main window's accelerators are not shared with us.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F11) {
        leave();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PlaySurface::mouseMoveEvent(QMouseEvent* event) {
    // The application's cursor source sees this event as well; here it only moves the marker.
    if (!showingReplay) {
        moveDisc(event->position().toPoint());
    }
    QWidget::mouseMoveEvent(event);
}

void PlaySurface::leaveEvent(QEvent* event) {
    if (pointer) {
        update(discArea(*pointer));
    }
    pointer.reset();
    QWidget::leaveEvent(event);
}

void PlaySurface::closeEvent(QCloseEvent* event) {
    // A window manager's close (Alt+F4) leaves the surface; the program goes on.
    event->ignore();
    leave();
}

void PlaySurface::showEvent(QShowEvent* event) {
    shownNote = engine::soundingNote();
    frameTimer.start(frameInterval(screen()));
    QWidget::showEvent(event);
}

void PlaySurface::hideEvent(QHideEvent* event) {
    frameTimer.stop();
    pointer.reset();
    QWidget::hideEvent(event);
}

}  // namespace surface
