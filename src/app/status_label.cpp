#include "app/status_label.h"

#include <QFontMetrics>

namespace app {

StatusLabel::StatusLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void StatusLabel::setFullText(const QString& text) {
    full = text;
    fit();
}

QSize StatusLabel::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

QSize StatusLabel::sizeHint() const {
    return minimumSizeHint();
}

void StatusLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    fit();
}

void StatusLabel::fit() {
    const int room = contentsRect().width() - 2 * margin() - 2 * indent();
    // Notes are one line: a second line (a system's reason) joins the first.
    QString line = full;
    line.replace(QLatin1Char('\n'), QStringLiteral(": "));
    const QString shown = fontMetrics().elidedText(line, Qt::ElideMiddle, std::max(room, 0));
    setText(shown);
    setToolTip(shown == line ? QString() : full);
}

}  // namespace app
