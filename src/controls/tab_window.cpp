#include "controls/tab_window.h"

#include <QLayout>

#include "framework/dialog.h"

namespace controls {

using framework::LPARAM;
using framework::LRESULT;
using framework::Response;
using framework::WPARAM;

std::span<const Response<TTabWindow>> TTabWindow::responseTable() {
    static constexpr Response<TTabWindow> table[] = {
        {framework::page::broadcast, &TTabWindow::relayBroadcast},
        {framework::page::settingsChanged, &TTabWindow::relaySettingsChanged},
        {framework::page::fitFrame, &TTabWindow::fitFrame},
        {framework::page::updateTitle, &TTabWindow::relayUpdateTitle},
    };
    return table;
}

TTabWindow::TTabWindow(QWidget* parent, QWidget* const* list) : framework::TWindow(parent) {
    if (list != nullptr) {
        addPages(list);
    }
}

TTabWindow::~TTabWindow() {
    // The pages belong to whoever made them: hand them back instead of deleting them with us.
    for (int i = 0; i < count; ++i) {
        QWidget* page = pages[static_cast<std::size_t>(i)];
        if (page != nullptr && page->parentWidget() == this) {
            page->hide();
            page->setParent(nullptr);
        }
    }
}

void TTabWindow::addPages(QWidget* const* list) {
    for (; list != nullptr && *list != nullptr; ++list) {
        addPage(*list);
    }
}

int TTabWindow::addPage(QWidget* page) {
    if (page == nullptr || count >= maxPages) {
        return -1;
    }
    pages[static_cast<std::size_t>(count)] = page;
    if (created) {
        takePage(page);
    }
    return count++;
}

void TTabWindow::takePage(QWidget* page) {
    adoptPage(page);
    if (auto* window = dynamic_cast<framework::MessageWindow*>(page)) {
        window->create();
    }
}

void TTabWindow::adoptPage(QWidget* page) {
    if (page->parentWidget() != this) {
        page->setParent(this, Qt::Widget);
    }
}

void TTabWindow::createPages() {
    for (int i = 0; i < count; ++i) {
        if (QWidget* page = pageAt(i)) {
            takePage(page);
        }
    }
}

void TTabWindow::removePage(QWidget* page) {
    removePageAt(indexOf(page));
}

QWidget* TTabWindow::removePageAt(int /*index*/) {
    return nullptr;
}

int TTabWindow::indexOf(const QWidget* page) const {
    for (int i = 0; i < count; ++i) {
        if (page != nullptr && pages[static_cast<std::size_t>(i)] == page) {
            return i;
        }
    }
    return -1;
}

QWidget* TTabWindow::pageAt(int index) const {
    if (index < 0 || index >= count) {
        return nullptr;
    }
    return pages[static_cast<std::size_t>(index)];
}

bool TTabWindow::canClose() {
    for (int i = 0; i < count; ++i) {
        auto* window = dynamic_cast<framework::MessageWindow*>(pageAt(i));
        if (window != nullptr && !window->canClose()) {
            return false;
        }
    }
    return true;
}

void TTabWindow::fitFrameToPages() {
    if (count == 0) {
        return;
    }
    // The largest template width and height, each taken separately, measured on the first page.
    const framework::TDialog* first = nullptr;
    int widest = 0;
    int tallest = 0;
    QSize pixels(0, 0);
    for (int i = 0; i < count; ++i) {
        const QWidget* page = pageAt(i);
        if (const auto* dialog = dynamic_cast<const framework::TDialog*>(page)) {
            if (first == nullptr) {
                first = dialog;
            }
            widest = std::max(widest, dialog->dialogTemplate().cx);
            tallest = std::max(tallest, dialog->dialogTemplate().cy);
        } else if (page != nullptr) {
            pixels = pixels.expandedTo(page->sizeHint());
        }
    }
    if (first != nullptr) {
        pixels = pixels.expandedTo(first->MapDialogRect(QRect(0, 0, widest, tallest)).size());
    }
    const QSize wanted = pixels + pageMargins();
    QWidget* frame = window();
    if (frame == this) {
        resize(wanted);
        return;
    }
    // Everything else in the frame (menu, status bar, borders) keeps its size.
    if (frame->layout() != nullptr) {
        frame->layout()->activate();
    }
    frame->resize(frame->size() + (wanted - size()));
}

void TTabWindow::postToEveryPage(framework::UINT message, WPARAM w, LPARAM l) {
    if (created) {
        createPages();  // a page must be set up before it takes a message meant for its controls
    }
    for (int i = 0; i < count; ++i) {
        framework::postMessage(pageAt(i), message, w, l);
    }
}

LRESULT TTabWindow::relayBroadcast(WPARAM w, LPARAM l) {
    postToEveryPage(framework::page::broadcast, w, l);
    return 0;
}

LRESULT TTabWindow::relaySettingsChanged(WPARAM w, LPARAM l) {
    postToEveryPage(framework::page::settingsChanged, w, l);
    return 0;
}

LRESULT TTabWindow::fitFrame(WPARAM /*w*/, LPARAM /*l*/) {
    fitFrameToPages();
    return 0;
}

LRESULT TTabWindow::relayUpdateTitle(WPARAM w, LPARAM l) {
    framework::postMessage(pageAt(selectedIndex()), framework::page::updateTitle, w, l);
    return 0;
}

}  // namespace controls
