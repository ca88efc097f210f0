#pragma once
// TWin95TabWindow: the tab window with a tab control (id 100) over which the page of the selected
// tab is laid. Leaving a tab hides its page and posts it the tab-left stop; entering one lays the
// page over the display area, shows it, posts it the title update and gives it the focus.

#include <QTabWidget>

#include "controls/tab_window.h"

namespace controls {

class TTabControl : public QTabWidget {
  public:
    static constexpr int controlId = 100;
    explicit TTabControl(QWidget* parent);

    // The display area in this control's coordinates: its window less the tabs and the border.
    QRect displayRect() const;
    int addCaptionTab(const QString& caption);
};

class TWin95TabWindow : public TTabWindow {
  public:
    explicit TWin95TabWindow(QWidget* parent, QWidget* const* pages = nullptr);

    // The set-up: sizes, the tab control, a tab per page, the first page selected and set up,
    // the frame fitted. The other pages are set up once the first page has been painted (or
    // before, when their tab is chosen or a broadcast reaches them). Runs once; showing the
    // window runs it too. GUI thread.
    void create() override;

    int addPage(QWidget* page) override;
    QWidget* removePageAt(int index) override;
    int selectedIndex() const override;
    void select(int index) override;
    TTabControl* tabControl() const { return tabs; }
    void fitCurrentPage();

  protected:
    QSize pageMargins() const override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    void currentChanged(int index);
    void leave(QWidget* page);
    void enter(int index);
    void setIndexQuietly(int index);
    void addTabQuietly(QWidget* page);

    TTabControl* tabs = nullptr;
    QPointer<QWidget> shown;  // the page of the selected tab
    bool quiet = false;
};

}  // namespace controls
