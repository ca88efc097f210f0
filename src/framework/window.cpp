#include "framework/window.h"

#include <QVariant>

namespace framework {

namespace {
constexpr const char* controlIdProperty = "lirvetoControlId";
}

bool MessageWindow::dispatchMessage(MessageEvent& /*event*/) {
    return false;
}

void setDialogControlId(QWidget* control, int id) {
    control->setProperty(controlIdProperty, id);
}

int dialogControlId(const QWidget* control) {
    if (control == nullptr) {
        return 0;
    }
    return control->property(controlIdProperty).toInt();
}

QWidget* dialogItem(const QWidget* dialog, int id) {
    if (dialog == nullptr || id == 0) {
        return nullptr;
    }
    for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (dialogControlId(child) == id) {
            return child;
        }
    }
    return nullptr;
}

}  // namespace framework
