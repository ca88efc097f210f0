#include "app/status_label.h"

#include <QAccessible>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace app {

StatusLabel::StatusLabel(QWidget* parent) : QFrame(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    // Opaque: a new text repaints the label alone, not the bar and the window beneath it.
    setAutoFillBackground(true);
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
        widestAscii = 0;
        updateGeometry();
        fit();
    }
}

bool StatusLabel::plainlyFits(const QString& line, int room) {
    if (line.isEmpty()) {
        return true;
    }
    const bool ascii = std::all_of(line.cbegin(), line.cend(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7F;
    });
    if (!ascii) {
        return false;
    }
    if (widestAscii == 0) {
        const QFontMetrics metrics = fontMetrics();
        for (char16_t c = 0x20; c < 0x7F; ++c) {
            widestAscii = std::max(widestAscii, metrics.horizontalAdvance(QChar(c)));
        }
    }
    return static_cast<qsizetype>(widestAscii) * line.size() <= room;
}

void StatusLabel::fit() {
    const int room = std::max(contentsRect().width() - 2 * padding(), 0);
    // Notes are one line: a second line (a system's reason) joins the first.
    QString line = full;
    line.replace(QLatin1Char('\n'), QStringLiteral(": "));
    // A readout fits many times over: measuring it would shape it once more at every change.
    QString fitted =
        plainlyFits(line, room) ? line : fontMetrics().elidedText(line, Qt::ElideMiddle, room);
    // Setting either tells the whole application of the change, even when nothing changed.
    if (const QString tip = fitted == line ? QString() : full; tip != toolTip()) {
        setToolTip(tip);
    }
    if (fitted != shown) {
        shown = std::move(fitted);
        if (QAccessible::isActive()) {
            setAccessibleName(shown);  // what a screen reader reads
        }
        update(contentsRect());
    }
}

}  // namespace app
