#pragma once
// TDialog: a dialog laid out from a template table in dialog units, used modal (About box) or
// as a modeless child (the sound pages in the tab window, the preferences pages in the sheet).

#include <QDialog>
#include <QRect>
#include <span>

#include "framework/window.h"

namespace framework {

enum class ItemKind {
    Static,  // left-aligned text, "&" marks the mnemonic
    StaticCentered,
    StaticNoPrefix,  // centred, "&" shown as is
    Frame,           // the black frame statics that mark where a slider goes
    GroupBox,
    Icon,  // text = icon resource number
    PushButton,
    DefPushButton,
    OwnerDrawButton,
    CheckBox,
    RadioButton,
    ComboBox,      // drop-down list
    EditComboBox,  // drop-down with an edit field
    Edit,
};

struct DialogItem {
    int id;
    ItemKind kind;
    const char* text;
    int x, y, cx, cy;  // dialog units
};

struct DialogTemplate {
    int resourceId;
    const char* caption;
    int cx, cy;  // dialog units
    int pointSize;
    std::span<const DialogItem> items;
};

class TDialog : public TWindowT<QDialog> {
  public:
    TDialog(QWidget* parent, const DialogTemplate& dialogTemplate);

    const DialogTemplate& dialogTemplate() const { return layoutTemplate; }

    // Dialog units to pixels by the dialog font's average character size.
    QRect MapDialogRect(const QRect& dialogUnits) const;
    QSize dialogBaseUnits() const;

    QWidget* item(int id) const { return dialogItem(this, id); }

    // Builds the children from the template once, then runs setupWindow. GUI thread.
    void create() override;
    bool isCreated() const { return created; }

    int exec() override;

  protected:
    // The widget for one template entry; pages override it for their own controls. It is shown
    // unless the override has already shown or hidden it.
    virtual QWidget* createItem(const DialogItem& item);
    // Runs after the children exist, as a window's set-up does.
    virtual void setupWindow() {}

    bool dispatchMessage(MessageEvent& event) override;
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;

    // Sends WM_COMMAND (id, BN_CLICKED) to the dialog when the button is clicked.
    void forwardClicks(QWidget* button, int id);
    // WM_NEXTDLGCTL: with byWindow the control `control` names (only a child of this dialog is
    // followed), else the next (control 0) or previous control.
    void focusDialogControl(WPARAM control, LPARAM byWindow);

  private:
    bool translateHelp(QEvent* e);

    const DialogTemplate& layoutTemplate;
    bool created = false;
};

}  // namespace framework
