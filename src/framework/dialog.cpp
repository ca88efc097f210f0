#include "framework/dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "framework/resources.h"

namespace framework {

namespace {

int mulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

// The direct child of `window` that contains `widget`, or null.
QWidget* directChild(QWidget* window, QWidget* widget) {
    while (widget != nullptr && widget->parentWidget() != window) {
        widget = widget->parentWidget();
    }
    return widget;
}

// "Pi&tch" as rich text with the "t" underlined; "&&" stands for a literal "&".
QString underlinedMnemonic(const QString& text) {
    QString html;
    bool underlined = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString piece(text.at(i));
        if (text.at(i) == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
            piece = QString(text.at(i));
            if (text.at(i) != QLatin1Char('&') && !underlined) {
                html += QStringLiteral("<u>") + piece.toHtmlEscaped() + QStringLiteral("</u>");
                underlined = true;
                continue;
            }
        }
        // A two-line caption ("&Low\nPitch") keeps its line break.
        html += piece == QStringLiteral("\n") ? QStringLiteral("<br>") : piece.toHtmlEscaped();
    }
    return html;
}

}  // namespace

TDialog::TDialog(QWidget* parent, const DialogTemplate& dialogTemplate)
    : TWindowT<QDialog>(parent), layoutTemplate(dialogTemplate) {
    QFont font = QApplication::font();
    font.setPointSize(layoutTemplate.pointSize > 0 ? layoutTemplate.pointSize : 8);
    setFont(font);
    setWindowTitle(
        QString::fromUtf8(layoutTemplate.caption != nullptr ? layoutTemplate.caption : ""));
    resize(MapDialogRect(QRect(0, 0, layoutTemplate.cx, layoutTemplate.cy)).size());
}

QSize TDialog::dialogBaseUnits() const {
    // Measuring shapes the alphabet, and every item of every page asks for the same font: the
    // last answer is kept (GUI thread only).
    static QString measuredFont;  // the font's key: a QFont must not outlive the application
    static QSize measured;
    const QFont current = font();
    const QString key = current.key();
    if (!measured.isValid() || key != measuredFont) {
        const QFontMetrics metrics(current);
        const int alphabet = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        measuredFont = key;
        measured = {(alphabet / 26 + 1) / 2, metrics.height()};
    }
    return measured;
}

QRect TDialog::MapDialogRect(const QRect& dialogUnits) const {
    const QSize base = dialogBaseUnits();
    const int left = mulDiv(dialogUnits.left(), base.width(), 4);
    const int top = mulDiv(dialogUnits.top(), base.height(), 8);
    const int width = mulDiv(dialogUnits.width(), base.width(), 4);
    const int height = mulDiv(dialogUnits.height(), base.height(), 8);
    return {left, top, width, height};
}

void TDialog::create() {
    if (created) {
        return;
    }
    created = true;
    for (const DialogItem& entry : layoutTemplate.items) {
        QWidget* control = createItem(entry);
        if (control == nullptr) {
            continue;
        }
        setDialogControlId(control, entry.id);
        control->setGeometry(MapDialogRect(QRect(entry.x, entry.y, entry.cx, entry.cy)));
        // A control that createItem hid stays hidden, as a template item without WS_VISIBLE.
        if (!control->testAttribute(Qt::WA_WState_ExplicitShowHide)) {
            control->show();
        }
    }
    setupWindow();
}

int TDialog::exec() {
    create();
    return QDialog::exec();
}

QWidget* TDialog::createItem(const DialogItem& entry) {
    const QString text = QString::fromUtf8(entry.text != nullptr ? entry.text : "");
    switch (entry.kind) {
        case ItemKind::Static:
        case ItemKind::StaticCentered: {
            // A label without a buddy would show the marker itself; the pages' Alt keys are
            // their own shortcuts, so the letter is only underlined here.
            auto* label = new QLabel(this);
            if (text.contains(QLatin1Char('&'))) {
                label->setTextFormat(Qt::RichText);
                label->setText(underlinedMnemonic(text));
            } else {
                label->setTextFormat(Qt::PlainText);
                label->setText(text);
            }
            if (entry.kind == ItemKind::StaticCentered) {
                label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            }
            return label;
        }
        case ItemKind::StaticNoPrefix: {
            auto* label = new QLabel(this);
            label->setTextFormat(Qt::PlainText);
            label->setText(text);
            label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            label->setWordWrap(true);
            return label;
        }
        case ItemKind::Frame: {
            auto* frame = new QFrame(this);
            frame->setFrameShape(QFrame::Box);
            frame->setAccessibleName(text);
            return frame;
        }
        case ItemKind::GroupBox:
            return new QGroupBox(text, this);
        case ItemKind::Icon: {
            auto* label = new QLabel(this);
            label->setPixmap(loadIcon(text.toInt()).pixmap(32, 32));
            return label;
        }
        case ItemKind::PushButton:
        case ItemKind::DefPushButton:
        case ItemKind::OwnerDrawButton: {
            auto* button = new QPushButton(text, this);
            button->setDefault(entry.kind == ItemKind::DefPushButton);
            button->setAutoDefault(entry.kind == ItemKind::DefPushButton);
            forwardClicks(button, entry.id);
            return button;
        }
        case ItemKind::CheckBox: {
            auto* box = new QCheckBox(text, this);
            forwardClicks(box, entry.id);
            return box;
        }
        case ItemKind::RadioButton: {
            auto* radio = new QRadioButton(text, this);
            forwardClicks(radio, entry.id);
            return radio;
        }
        case ItemKind::ComboBox:
        case ItemKind::EditComboBox: {
            auto* combo = new QComboBox(this);
            combo->setEditable(entry.kind == ItemKind::EditComboBox);
            return combo;
        }
        case ItemKind::Edit:
            return new QLineEdit(text, this);
    }
    return nullptr;
}

void TDialog::forwardClicks(QWidget* button, int id) {
    auto* clickable = qobject_cast<QAbstractButton*>(button);
    if (clickable == nullptr) {
        return;
    }
    connect(clickable, &QAbstractButton::clicked, this, [this, clickable, id] {
        sendMessage(this, WM_COMMAND, makeWParam(static_cast<unsigned>(id), BN_CLICKED),
                    reinterpret_cast<LPARAM>(clickable));
    });
}

void TDialog::focusDialogControl(WPARAM control, LPARAM byWindow) {
    if (byWindow == 0) {
        if (control == 0) {
            focusNextChild();
        } else {
            focusPreviousChild();
        }
        return;
    }
    // The value may be anything a sender put there: compare, never dereference.
    for (QWidget* child : findChildren<QWidget*>()) {
        if (reinterpret_cast<WPARAM>(child) == control) {
            child->setFocus(Qt::ShortcutFocusReason);
            return;
        }
    }
}

bool TDialog::dispatchMessage(MessageEvent& event) {
    if (event.message == WM_COMMAND && hiWord(event.wParam) == BN_CLICKED) {
        // The standard buttons close a modal dialog when the dialog's own table does not take them.
        const int id = static_cast<int>(loWord(event.wParam));
        if (id == IDOK && isWindow()) {
            accept();
            return true;
        }
        if (id == IDCANCEL && isWindow()) {
            reject();
            return true;
        }
    }
    return TWindowT<QDialog>::dispatchMessage(event);
}

bool TDialog::event(QEvent* e) {
    if (translateHelp(e)) {
        return true;
    }
    return TWindowT<QDialog>::event(e);
}

// F1, the question-mark mode and right-clicks become WM_HELP and WM_CONTEXTMENU to the dialog,
// after the control under them has had its chance to use them.
bool TDialog::translateHelp(QEvent* e) {
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1) {
        QWidget* focus = focusWidget();
        QWidget* control =
            focus != nullptr && isAncestorOf(focus) ? directChild(this, focus) : this;
        HelpInfo info;
        info.ctrlId = dialogControlId(control);
        info.itemHandle = control;
        const QPoint cursor = QCursor::pos();
        info.mouseX = cursor.x();
        info.mouseY = cursor.y();
        sendMessage(this, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        return true;
    }
    if (e->type() == QEvent::WhatsThis) {
        auto* help = static_cast<QHelpEvent*>(e);
        QWidget* control = directChild(this, childAt(help->pos()));
        HelpInfo info;
        info.ctrlId = dialogControlId(control);
        info.itemHandle = control != nullptr ? control : this;
        info.mouseX = help->globalX();
        info.mouseY = help->globalY();
        sendMessage(this, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        return true;
    }
    if (e->type() == QEvent::QueryWhatsThis) {
        return true;
    }
    if (e->type() == QEvent::ContextMenu) {
        auto* menu = static_cast<QContextMenuEvent*>(e);
        QPoint global = menu->globalPos();
        QWidget* control = directChild(this, childAt(menu->pos()));
        if (menu->reason() == QContextMenuEvent::Keyboard) {
            QWidget* focus = focusWidget();
            control = focus != nullptr && isAncestorOf(focus) ? directChild(this, focus) : nullptr;
            if (control != nullptr) {
                global = control->mapToGlobal(control->rect().center());
            }
        }
        QWidget* window = control != nullptr ? control : this;
        sendMessage(this, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window),
                    packPoint(global.x(), global.y()));
        return true;
    }
    return false;
}

void TDialog::keyPressEvent(QKeyEvent* e) {
    if (isWindow()) {
        QDialog::keyPressEvent(e);
    } else {
        // A page inside a tab window or sheet: Escape and Enter belong to the window around it.
        QWidget::keyPressEvent(e);  // NOLINT(bugprone-parent-virtual-call)
    }
}

void TDialog::showEvent(QShowEvent* e) {
    create();
    QDialog::showEvent(e);
}

}  // namespace framework
