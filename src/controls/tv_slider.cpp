#include "controls/tv_slider.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>

#include "framework/resources.h"

namespace controls {

TVSlider::TVSlider(QWidget* parent, int id, int thumbResourceId)
    : TWindowT<QSlider>(Qt::Vertical, parent) {
    framework::setDialogControlId(this, id);
    setFocusPolicy(Qt::StrongFocus);
    thumbBitmap = framework::loadBitmap(thumbResourceId);
    if (!thumbBitmap.isNull()) {
        thumbBitmap.setMask(
            thumbBitmap.createMaskFromColor(QColor(192, 192, 192), Qt::MaskInColor));
    }
}

// Home and End go to the top and bottom positions, as on a trackbar, not to the value's ends.
void TVSlider::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Home || e->key() == Qt::Key_End) {
        triggerAction(e->key() == Qt::Key_Home ? SliderToMaximum : SliderToMinimum);
        e->accept();
        return;
    }
    TWindowT<QSlider>::keyPressEvent(e);
}

void TVSlider::paintEvent(QPaintEvent* e) {
    if (thumbBitmap.isNull()) {
        QSlider::paintEvent(e);
        return;
    }
    QPainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_SliderGroove;
    if (tickPosition() != NoTicks) {
        option.subControls |= QStyle::SC_SliderTickmarks;
    }
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const QPoint topLeft(handle.center().x() - thumbBitmap.width() / 2 + 1,
                         handle.center().y() - thumbBitmap.height() / 2 + 1);
    painter.drawPixmap(topLeft, thumbBitmap);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

TVSlider* makePageSlider(QWidget* page, int id, QWidget* frame, int maximum, int thumbResourceId) {
    auto* made = new TVSlider(page, id, thumbResourceId);
    made->setRange(0, maximum);
    made->setTickPosition(QSlider::NoTicks);
    made->setTickInterval(0);
    made->setPageStep(std::max(1, maximum / 5));
    if (frame != nullptr) {
        const QRect f = frame->geometry();
        made->setGeometry(f.left() + f.width() / 2 - 12, f.top() - 10, 24, f.height() + 20);
        frame->hide();
    }
    made->show();
    return made;
}

}  // namespace controls
