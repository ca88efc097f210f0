#pragma once
// CoolButton: the Play/Stop push button. It paints its bitmap and caption itself, in the desktop
// style's look or a plain 3-D look, and can be held down to show which button of its group is in
// force.

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <array>

#include "framework/window.h"

namespace controls {

class CoolButton : public framework::TWindowT<QAbstractButton> {
  public:
    enum State { initial = -1, normal = 0, selected = 1, disabled = 2, held = 3 };

    // A negative groupFirst means no group.
    CoolButton(QWidget* parent, int id, int groupFirst = -1, int groupLast = -1);

    // Loads bitmap `resourceId` into slot 0 (normal), 1 (held or selected) or 2 (disabled).
    void setBitmap(int resourceId, int slot);
    void setBitmap(const QPixmap& bitmap, int slot);

    // With redraw, a grouped button that becomes selected or held releases the rest of its group.
    void setState(int newState, bool redraw = true);
    int state() const { return currentState; }

    void setCaptionOff(bool off);
    void setColors(const QColor& background, const QColor& heldBackground, const QColor& text,
                   const QColor& heldText);

    bool isHot() const { return hot; }
    bool isThemed() const { return themed; }
    int mnemonicIndex() const { return mnemonic; }

    // Whether buttons draw through the desktop style (the default) or in the plain look.
    static void setThemesEnabled(bool enabled);
    static bool themesEnabled();

    QSize sizeHint() const override;

  protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void changeEvent(QEvent* e) override;

  private:
    LIRVETO_RESPONSE_TABLE(CoolButton, framework::TWindowT<QAbstractButton>);

    framework::LRESULT groupMessage(framework::WPARAM range, framework::LPARAM sender);
    void openTheme();
    void selectionChanged();
    void sendGroupMessage();
    bool inGroup() const { return groupFirst >= 0; }

    int id;
    int groupFirst;
    int groupLast;
    int currentState = initial;
    int mnemonic = -1;
    std::array<QPixmap, 3> bitmaps;
    QColor background;
    QColor heldBackground;
    QColor textColor;
    QColor heldTextColor;
    bool themed = false;
    bool hot = false;
    bool captionOff = false;
    bool lastDown = false;
};

}  // namespace controls
