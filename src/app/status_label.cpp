#include "app/status_label.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace app {

StatusLabel::StatusLabel(QWidget* parent) : QFrame(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void StatusLabel::setFullText(const QString& text) {
    if (text == full) {
        return;
    }
    full = text;
    fit();
}

QSize StatusLabel::minimumSizeHint() const {
    return {0, fontMetrics().height() + 2 * frameWidth()};
}

QSize StatusLabel::sizeHint() const {
    return minimumSizeHint();
}

int StatusLabel::padding() const {
    return frameWidth() > 0 ? fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0;
}

void StatusLabel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const int side = padding();
    painter.drawText(contentsRect().adjusted(side, 0, -side, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

void StatusLabel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    fit();
}

void StatusLabel::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
        fit();
    }
}

void StatusLabel::fit() {
    const int room = std::max(contentsRect().width() - 2 * padding(), 0);
    // Notes are one line: a second line (a system's reason) joins the first.
    QString line = full;
    line.replace(QLatin1Char('\n'), QStringLiteral(": "));
    const QFontMetrics metrics = fontMetrics();
    // A readout fits many times over: measuring it would shape it a second time each change. The
    // widest glyph bounds only what the bar's own font draws, so other scripts are measured.
    const bool latin =
        std::all_of(line.cbegin(), line.cend(), [](QChar c) { return c.unicode() < 0x100; });
    const bool plainlyFits =
        latin && static_cast<qsizetype>(metrics.maxWidth()) * line.size() <= room;
    QString fitted = plainlyFits ? line : metrics.elidedText(line, Qt::ElideMiddle, room);
    setToolTip(fitted == line ? QString() : full);
    if (fitted != shown) {
        shown = std::move(fitted);
        setAccessibleName(shown);
        update(contentsRect());
    }
}

}  // namespace app
