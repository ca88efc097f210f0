#include "app/version_hot_link.h"

#include <QPainter>

namespace app {

THotLink::THotLink(QWidget* parent, int id, std::string address, Opener opener)
    : TWindowT<QAbstractButton>(parent), link(std::move(address)), open(std::move(opener)) {
    framework::setDialogControlId(this, id);
    setText(QString::fromStdString(link));
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (open) {
            open(link);
        }
    });
}

// The text stands centred with its bottom half the height of "L" below the middle.
int THotLink::anchorY() const {
    return height() / 2 + QFontMetrics(font()).height() / 2;
}

QRect THotLink::focusRect() const {
    const QFontMetrics metrics(font());
    const int w = metrics.horizontalAdvance(text());
    const int h = metrics.height();
    const int x0 = (width() - w) / 2;
    const int y = anchorY();
    return QRect(QPoint(x0 - 2, y - h - 2), QPoint(x0 + w + 2 - 1, y + 2 - 1));
}

void THotLink::paintEvent(QPaintEvent* /*e*/) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const QColor color(linkColor & 0xFF, (linkColor >> 8) & 0xFF, (linkColor >> 16) & 0xFF);
    const int anchorX = width() / 2;
    const int y = anchorY();
    const int w = metrics.horizontalAdvance(text());
    const int left = anchorX - w / 2;
    painter.setPen(color);
    painter.drawText(QPoint(left, y - metrics.descent()), text());
    painter.drawLine(left, y, left + w - 1, y);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.drawRect(focusRect().adjusted(0, 0, -1, -1));
    }
}

}  // namespace app
