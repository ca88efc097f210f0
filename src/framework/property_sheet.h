#pragma once
// TPropertySheet and TPropertyPage: a modal sheet of tabbed pages with OK, Cancel and Help (no
// Apply). Pages are built when first shown; OK applies every page that was built, so a page the
// user never opened changes nothing. GUI thread.

#include <QDialog>
#include <cstdint>
#include <span>
#include <vector>

#include "framework/dialog.h"

class QTabWidget;

namespace framework {

enum class TransferDirection { getData, setData };

class TPropertyPage : public TDialog {
  public:
    TPropertyPage(QWidget* parent, const DialogTemplate& dialogTemplate);

    // OK: takes the controls' values. Returns false to keep the sheet open.
    virtual bool apply();

    // Moves the transfer buffer into the controls (setData) or out of them (getData).
    virtual void TransferData(TransferDirection direction);

  protected:
    // The transfer buffer: one check state (0 or 1) per check box or radio button, in the order
    // of `controlIds`. Both spans must outlive the page.
    void setTransferBuffer(std::span<std::uint16_t> states, std::span<const int> controlIds);

    // Set-up moves the buffer into the controls.
    void setupWindow() override;

  private:
    std::span<std::uint16_t> bufferStates;
    std::span<const int> bufferControlIds;
};

class TPropertySheet : public TWindowT<QDialog> {
  public:
    TPropertySheet(QWidget* parent, const QString& title);

    // The sheet takes the page (which must not have a parent yet). Tabs in the order added.
    void addPage(TPropertyPage* page);
    TPropertyPage* page(int index) const;
    int pageCount() const { return static_cast<int>(pages.size()); }
    TPropertyPage* currentPage() const;
    void setCurrentPage(int index);

    // The buttons, as a click on them does.
    void pressOk();
    void pressHelp();

  private:
    QTabWidget* tabs;
    std::vector<TPropertyPage*> pages;
};

}  // namespace framework
