#include "platform/backends/help_popup.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace platform {

HelpPopupWindow::HelpPopupWindow() : QLabel(nullptr, Qt::Popup | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QStringLiteral("Lirveto help"));
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive) {
                    close();
                }
            });
}

// The label's own handlers would take these without closing; a pop-up passes nothing on.
void HelpPopupWindow::keyPressEvent(QKeyEvent* e) {
    e->accept();
    close();
}

// While the pop-up is up every press comes here, outside ones too.
void HelpPopupWindow::mousePressEvent(QMouseEvent* e) {
    e->accept();
    close();
}

void HelpPopupWindow::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible()) {
        close();
    }
    QLabel::changeEvent(e);
}

}  // namespace platform
