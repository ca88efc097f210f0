#include "controls/win95_tab_window.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <functional>

namespace controls {

namespace {

// Runs `then` once the watched widget's first paint is done, from the event loop, unless
// `context` is gone by then; it then goes itself.
class AfterFirstPaint final : public QObject {
  public:
    AfterFirstPaint(QWidget* watched, QObject* context, std::function<void()> then)
        : QObject(watched), receiver(context), action(std::move(then)) {
        watched->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            if (receiver != nullptr) {
                QMetaObject::invokeMethod(receiver, action, Qt::QueuedConnection);
            }
            deleteLater();
        }
        return false;
    }

  private:
    QPointer<QObject> receiver;
    std::function<void()> action;
};

}  // namespace

TTabControl::TTabControl(QWidget* parent) : QTabWidget(parent) {
    framework::setDialogControlId(this, controlId);
    // The pages are laid over the display area by the tab window, not held by the control.
    setDocumentMode(false);
}

QRect TTabControl::displayRect() const {
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this);
}

int TTabControl::addCaptionTab(const QString& caption) {
    auto* placeholder = new QWidget;
    placeholder->setAttribute(Qt::WA_TransparentForMouseEvents);
    return addTab(placeholder, caption);
}

TWin95TabWindow::TWin95TabWindow(QWidget* parent, QWidget* const* list)
    : TTabWindow(parent, list) {}

void TWin95TabWindow::create() {
    if (created) {
        return;
    }
    created = true;
    QWidget* parent = parentWidget();
    int w = attr.w;
    int h = attr.h;
    if (w == 0 || w == defaultSize) {
        w = parent != nullptr ? parent->contentsRect().width() : width();
    }
    if (h == 0 || h == defaultSize) {
        h = parent != nullptr ? parent->contentsRect().height() : height();
    }
    attr.w = w;
    attr.h = h;
    setGeometry(attr.x, attr.y, w, h);
    if (tabs == nullptr) {
        tabs = new TTabControl(this);
        tabs->setGeometry(0, 0, w, h);
        tabs->setFont(QApplication::font());
        connect(tabs, &QTabWidget::currentChanged, this,
                [this](int index) { currentChanged(index); });
    }
    // Only the first page is set up now: the window's first frame shows no other.
    for (int i = 0; i < count; ++i) {
        QWidget* page = pageAt(i);
        if (page == nullptr) {
            continue;
        }
        if (i == 0) {
            takePage(page);
        } else {
            adoptPage(page);
        }
        addTabQuietly(page);
    }
    for (int i = 1; i < count; ++i) {
        if (QWidget* page = pageAt(i)) {
            page->hide();
        }
    }
    // Adding the tabs left the last one current; no page has been entered yet, so none is left.
    shown = nullptr;
    select(0);
    tabs->show();
    tabs->lower();
    fitFrameToPages();
    if (QWidget* first = pageAt(0)) {
        new AfterFirstPaint(first, this, [this] { createPages(); });
    } else {
        createPages();
    }
}

int TWin95TabWindow::addPage(QWidget* page) {
    const int index = TTabWindow::addPage(page);
    if (index < 0 || tabs == nullptr) {
        return index;
    }
    addTabQuietly(page);
    // The new tab is selected as a user's click would; the page selected before is left.
    QWidget* before = shown;
    shown = nullptr;
    if (before != nullptr && before != page) {
        leave(before);
    }
    enter(index);
    return index;
}

QWidget* TWin95TabWindow::removePageAt(int index) {
    QWidget* page = pageAt(index);
    if (page == nullptr && (index < 0 || index >= count)) {
        return nullptr;
    }
    for (int i = index; i + 1 < count; ++i) {
        pages[static_cast<std::size_t>(i)] = pages[static_cast<std::size_t>(i) + 1];
    }
    --count;
    pages[static_cast<std::size_t>(count)] = nullptr;
    if (tabs != nullptr) {
        quiet = true;
        QWidget* placeholder = tabs->widget(index);
        tabs->removeTab(index);
        delete placeholder;
        quiet = false;
    }
    // The removed page leaves the window with its tab.
    if (page != nullptr && page == shown) {
        page->hide();
        shown = nullptr;
    }
    return page;
}

int TWin95TabWindow::selectedIndex() const {
    return tabs != nullptr ? tabs->currentIndex() : -1;
}

void TWin95TabWindow::select(int index) {
    if (tabs == nullptr || index < 0 || index >= count) {
        return;
    }
    QWidget* before = shown;
    if (before != nullptr && before != pageAt(index)) {
        leave(before);
    }
    setIndexQuietly(index);
    enter(index);
}

// Adds the page's tab and selects it without the leaving and entering steps.
void TWin95TabWindow::addTabQuietly(QWidget* page) {
    quiet = true;
    tabs->setCurrentIndex(tabs->addCaptionTab(page->windowTitle()));
    quiet = false;
}

void TWin95TabWindow::setIndexQuietly(int index) {
    quiet = true;
    tabs->setCurrentIndex(index);
    quiet = false;
}

// A user's click on a tab.
void TWin95TabWindow::currentChanged(int index) {
    if (quiet) {
        return;
    }
    if (shown != nullptr && shown != pageAt(index)) {
        leave(shown);
    }
    enter(index);
}

void TWin95TabWindow::leave(QWidget* page) {
    page->hide();
    framework::postMessage(page, framework::page::tabLeft);
}

void TWin95TabWindow::enter(int index) {
    QWidget* page = pageAt(index);
    shown = page;
    if (page == nullptr) {
        return;
    }
    takePage(page);  // set up now if the window's first frame has not been painted yet
    fitCurrentPage();
    page->show();
    page->raise();
    framework::postMessage(page, framework::page::updateTitle);
    page->setFocus();
}

void TWin95TabWindow::fitCurrentPage() {
    if (tabs == nullptr) {
        return;
    }
    QWidget* page = pageAt(selectedIndex());
    if (page == nullptr) {
        return;
    }
    const QRect area = tabs->displayRect().translated(tabs->pos());
    page->setGeometry(area);
    page->show();
}

QSize TWin95TabWindow::pageMargins() const {
    if (tabs == nullptr) {
        return {0, 0};
    }
    return tabs->size() - tabs->displayRect().size();
}

void TWin95TabWindow::resizeEvent(QResizeEvent* e) {
    TTabWindow::resizeEvent(e);
    if (tabs != nullptr) {
        tabs->resize(size());
        fitCurrentPage();
    }
}

void TWin95TabWindow::showEvent(QShowEvent* e) {
    create();
    TTabWindow::showEvent(e);
}

}  // namespace controls
