#include "controls/context_help_win.h"

#include <QCursor>

#include "controls/help_provider.h"
#include "framework/window.h"

namespace controls {

namespace {
HelpProvider* provider = nullptr;
}

HelpProvider* HelpProvider::current() {
    return provider;
}
void HelpProvider::setCurrent(HelpProvider* newProvider) {
    provider = newProvider;
}

using framework::LPARAM;
using framework::LRESULT;

ContextHelpWin::ContextHelpWin(QWidget* page, const HelpPair* helpTable, int helpContext)
    : window(page), table(helpTable), context(helpContext) {}

std::optional<std::uint32_t> ContextHelpWin::lookUp(std::uint32_t controlId) const {
    if (table == nullptr || controlId == 0) {
        return std::nullopt;
    }
    for (const HelpPair* pair = table; pair->controlId != 0; ++pair) {
        if (pair->controlId == controlId) {
            return pair->helpId != 0 ? pair->helpId : pair->controlId;
        }
    }
    return std::nullopt;
}

LRESULT ContextHelpWin::helpRequested(const framework::HelpInfo& info) {
    if (info.contextType != framework::HELPINFO_WINDOW) {
        return 0;
    }
    if (table == nullptr) {
        showPopup(static_cast<std::uint32_t>(info.ctrlId));
        return 0;
    }
    int id = info.ctrlId;
    if (id == 0) {
        id = framework::dialogControlId(static_cast<QWidget*>(info.itemHandle));
    }
    if (const auto helpId = lookUp(static_cast<std::uint32_t>(id))) {
        showPopup(*helpId);
    }
    return 0;
}

LRESULT ContextHelpWin::contextMenuRequested(QWidget* clicked, LPARAM position) {
    if (table == nullptr) {
        showPopup(static_cast<std::uint32_t>(framework::dialogControlId(clicked)));
        return 0;
    }
    const QPoint local =
        window->mapFromGlobal(QPoint(framework::pointX(position), framework::pointY(position)));
    // The page's own child at the point, not a grandchild inside it.
    QWidget* child = window->childAt(local);
    while (child != nullptr && child->parentWidget() != window) {
        child = child->parentWidget();
    }
    if (const auto helpId = lookUp(static_cast<std::uint32_t>(framework::dialogControlId(child)))) {
        showPopup(*helpId);
    }
    return 0;
}

void ContextHelpWin::showPopup(std::uint32_t helpId) const {
    if (HelpProvider* help = HelpProvider::current()) {
        const QPoint cursor = QCursor::pos();
        help->showHelpPopup(helpId, cursor.x(), cursor.y());
    }
}

void ContextHelpWin::showTopic() const {
    HelpProvider* help = HelpProvider::current();
    if (help == nullptr) {
        return;
    }
    if (context != 0) {
        help->showHelpContext(static_cast<std::uint32_t>(context));
    } else {
        help->showHelpTopic("Controls.html");
    }
}

bool ContextHelpWin::dispatchMessage(framework::MessageEvent& event) {
    switch (event.message) {
        case framework::WM_HELP:
            if (event.lParam == 0) {
                return false;
            }
            event.result =
                helpRequested(*reinterpret_cast<const framework::HelpInfo*>(event.lParam));
            return true;
        case framework::WM_CONTEXTMENU:
            event.result =
                contextMenuRequested(reinterpret_cast<QWidget*>(event.wParam), event.lParam);
            return true;
        case framework::WM_NOTIFY: {
            const auto* header = reinterpret_cast<const framework::NotifyHeader*>(event.lParam);
            if (header == nullptr || header->code != framework::PSN_HELP) {
                return false;
            }
            if (header->data != 0) {
                showTopic();
            }
            return true;
        }
        case framework::WM_COMMAND:
            if (framework::loWord(event.wParam) != framework::IDHELP) {
                return false;
            }
            showTopic();
            return true;
        default:
            return false;
    }
}

}  // namespace controls
