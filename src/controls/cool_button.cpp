#include "controls/cool_button.h"

#include <qdrawutil.h>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#include "framework/resources.h"

namespace controls {

using framework::LPARAM;
using framework::LRESULT;
using framework::Response;
using framework::WPARAM;

namespace {
bool themesOn = true;
const QColor transparentGrey(192, 192, 192);
}  // namespace

void CoolButton::setThemesEnabled(bool enabled) {
    themesOn = enabled;
}
bool CoolButton::themesEnabled() {
    return themesOn;
}

std::span<const Response<CoolButton>> CoolButton::responseTable() {
    static constexpr Response<CoolButton> table[] = {
        {framework::CM_BUTTONGROUP, &CoolButton::groupMessage},
    };
    return table;
}

CoolButton::CoolButton(QWidget* parent, int controlId, int first, int last)
    : TWindowT<QAbstractButton>(parent), id(controlId), groupFirst(first), groupLast(last) {
    framework::setDialogControlId(this, controlId);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    background = palette().color(QPalette::Button);
    heldBackground = background;
    textColor = palette().color(QPalette::ButtonText);
    heldTextColor = textColor;
    // The selection change must be seen before the page hears the click, so that a page setting
    // the state in its click handler has the last word.
    connect(this, &QAbstractButton::pressed, this, [this] { selectionChanged(); });
    connect(this, &QAbstractButton::released, this, [this] { selectionChanged(); });
    openTheme();
}

void CoolButton::openTheme() {
    themed = themesOn && style() != nullptr;
}

void CoolButton::setBitmap(int resourceId, int slot) {
    setBitmap(framework::loadBitmap(resourceId), slot);
}

void CoolButton::setBitmap(const QPixmap& bitmap, int slot) {
    if (slot < 0 || slot >= static_cast<int>(bitmaps.size())) {
        return;
    }
    QPixmap masked = bitmap;
    if (!masked.isNull()) {
        masked.setMask(masked.createMaskFromColor(transparentGrey, Qt::MaskInColor));
    }
    bitmaps[static_cast<std::size_t>(slot)] = masked;
    update();
}

void CoolButton::setCaptionOff(bool off) {
    captionOff = off;
    update();
}

void CoolButton::setColors(const QColor& normalBackground, const QColor& heldBack,
                           const QColor& text, const QColor& heldText) {
    background = normalBackground;
    heldBackground = heldBack;
    textColor = text;
    heldTextColor = heldText;
    update();
}

void CoolButton::setState(int newState, bool redraw) {
    currentState = newState;
    if (!redraw) {
        return;
    }
    if (inGroup() && (newState == selected || newState == held)) {
        sendGroupMessage();
    } else {
        update();
    }
}

void CoolButton::sendGroupMessage() {
    QWidget* owner = parentWidget();
    if (owner == nullptr) {
        update();
        return;
    }
    const WPARAM range =
        framework::makeWParam(static_cast<unsigned>(groupFirst), static_cast<unsigned>(groupLast));
    for (QWidget* sibling : owner->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        framework::sendMessage(sibling, framework::CM_BUTTONGROUP, range, id);
    }
}

LRESULT CoolButton::groupMessage(WPARAM range, LPARAM sender) {
    const int first = static_cast<int>(framework::loWord(range));
    const int last = static_cast<int>(framework::hiWord(range));
    if (id < first || id > last) {
        return 0;
    }
    if (id != sender) {
        if (currentState != normal) {
            currentState = normal;
            update();
        }
        return 0;
    }
    if (currentState != selected && currentState != held) {
        currentState = selected;
    }
    update();
    return 0;
}

void CoolButton::selectionChanged() {
    const bool down = isDown();
    if (down == lastDown) {
        return;
    }
    lastDown = down;
    if (down) {
        currentState = held;
    } else if (currentState == held) {
        currentState = normal;
    }
    if (inGroup() && currentState == held) {
        sendGroupMessage();
    } else {
        update();
    }
}

bool CoolButton::event(QEvent* e) {
    const bool result = TWindowT<QAbstractButton>::event(e);
    // Catches the ways of releasing the button that raise no signal (focus lost, drag out).
    selectionChanged();
    return result;
}

void CoolButton::enterEvent(QEnterEvent* e) {
    hot = true;
    if (themed) {
        update();
    }
    QAbstractButton::enterEvent(e);
}

void CoolButton::leaveEvent(QEvent* e) {
    hot = false;
    if (themed) {
        update();
    }
    QAbstractButton::leaveEvent(e);
}

void CoolButton::changeEvent(QEvent* e) {
    if (e->type() == QEvent::StyleChange) {
        openTheme();
        update();
    }
    QAbstractButton::changeEvent(e);
}

QSize CoolButton::sizeHint() const {
    const QFontMetrics metrics(font());
    QString caption = text();
    caption.remove(caption.indexOf(QLatin1Char('&')), 1);
    return {std::max(75, metrics.horizontalAdvance(caption) + 48),
            std::max(23, metrics.height() + 10)};
}

void CoolButton::paintEvent(QPaintEvent* /*e*/) {
    QPainter painter(this);
    const QRect whole = rect();
    // While pressed everything centred in the item sits one pixel lower.
    QRect item = whole;
    if (isDown()) {
        item.setBottom(item.bottom() + 2);
    }

    QColor back = background;
    QColor fore = textColor;
    const QPixmap* bitmap = &bitmaps[0];
    if (!isEnabled()) {
        back = heldBackground;
        bitmap = !bitmaps[2].isNull() ? &bitmaps[2] : &bitmaps[1];
    } else if (currentState == selected || currentState == held) {
        back = heldBackground;
        fore = heldTextColor;
        bitmap = &bitmaps[1];
    }

    const QColor buttonFace = palette().color(QPalette::Button);
    if (themed) {
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = whole;
        option.state &= ~(QStyle::State_MouseOver | QStyle::State_Sunken | QStyle::State_Raised);
        if (currentState == held) {
            option.state |= QStyle::State_Sunken;
        } else if (currentState == disabled) {
            option.state &= ~QStyle::State_Enabled;
        } else {
            option.state |= QStyle::State_Raised;
            if (hot) {
                option.state |= QStyle::State_MouseOver;
            }
        }
        style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
        if (back != buttonFace) {
            painter.fillRect(whole.adjusted(5, 5, -5, -5), back);
        }
    } else {
        painter.fillRect(whole, back);
    }

    QString caption;
    mnemonic = -1;
    if (!captionOff) {
        caption = text().left(260);
        mnemonic = static_cast<int>(caption.indexOf(QLatin1Char('&')));
        if (mnemonic >= 0) {
            caption.remove(mnemonic, 1);
        }
    }
    const int itemWidth = item.width();
    const int itemHeight = item.height();

    if (!bitmap->isNull() && bitmap->height() < itemHeight) {
        const int y = item.top() + (itemHeight - bitmap->height()) / 2;
        const int x =
            caption.isEmpty() ? item.left() + (itemWidth - bitmap->width()) / 2 : item.left() + 3;
        painter.drawPixmap(x, y, *bitmap);
    }

    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(caption);
    const int textHeight = metrics.height();
    const int centreX = item.left() + itemWidth / 2;
    const int textLeft = centreX - textWidth / 2;
    const int textBottom = item.top() + itemHeight / 2 + textHeight / 2;
    if (!caption.isEmpty()) {
        if (themed) {
            QPalette::ColorGroup group =
                currentState == disabled ? QPalette::Disabled : QPalette::Active;
            painter.setPen(palette().color(group, QPalette::ButtonText));
            painter.drawText(QPoint(textLeft, textBottom - metrics.descent()), caption);
        } else {
            painter.setPen(fore);
            painter.drawText(QPoint(textLeft, textBottom - metrics.descent()), caption);
            if (mnemonic >= 0 && mnemonic < caption.size()) {
                const int from = textLeft + metrics.horizontalAdvance(caption.left(mnemonic));
                const int to = textLeft + metrics.horizontalAdvance(caption.left(mnemonic + 1));
                painter.drawLine(from, textBottom - 1, to - 1, textBottom - 1);
            }
        }
    }

    if (!themed) {
        qDrawWinButton(&painter, whole, palette(), currentState == held, nullptr);
    }

    if (hasFocus()) {
        QRect focus = caption.isEmpty() ? whole.adjusted(3, 3, -3, -3)
                                        : QRect(textLeft - 2, textBottom - textHeight - 2,
                                                textWidth + 4, textHeight + 4);
        painter.setPen(QPen(fore, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(focus.adjusted(0, 0, -1, -1));
    }
}

}  // namespace controls
