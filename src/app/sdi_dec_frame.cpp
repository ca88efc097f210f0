#include "app/sdi_dec_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QToolBar>
#include <QWindow>
#include <algorithm>

#include "app/main_menu.h"
#include "controls/help_provider.h"
#include "controls/tab_window.h"
#include "framework/resources.h"
#include "platform/backends/qt/x11_window_hints.h"

namespace app {

using framework::LPARAM;
using framework::LRESULT;
using framework::Response;
using framework::WPARAM;

std::span<const Response<SDIDecFrame>> SDIDecFrame::responseTable() {
    static constexpr Response<SDIDecFrame> table[] = {
        {framework::WM_SYSCOMMAND, &SDIDecFrame::sysCommand},
        {framework::WM_HELP, &SDIDecFrame::help},
        {framework::WM_CLOSE, &SDIDecFrame::closeMessage},
    };
    return table;
}

SDIDecFrame::SDIDecFrame(FrameCommands& frameCommands, const QString& title,
                         controls::TTabWindow* client)
    : commands(frameCommands), tabWindow(client) {
    // No maximise box: the window keeps the size its pages give it.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(title);
    setCentralWidget(client);
    buildMenu();
    buildAccelerators();

    QStatusBar* bar = statusBar();
    QFont font = bar->font();
    font.setPointSize(9);
    font.setBold(false);
    font.setItalic(false);
    bar->setFont(font);
    bar->setSizeGripEnabled(false);
    statusLabel = new StatusLabel(bar);
    statusLabel->setFrameShadow(QFrame::Sunken);
    bar->addWidget(statusLabel, 1);

    buildTrayMenu();
}

SDIDecFrame::~SDIDecFrame() = default;

void SDIDecFrame::buildMenu() {
    for (const Menu& menu : mainMenu()) {
        QMenu* drop = menuBar()->addMenu(QString::fromUtf8(menu.title));
        drop->installEventFilter(this);
        for (const MenuItem& item : menu.items) {
            if (item.id == 0) {
                drop->addSeparator();
                continue;
            }
            QAction* action = drop->addAction(QString::fromUtf8(item.text));
            action->setData(item.id);
            action->setStatusTip(menuHint(item.id));
            action->setEnabled(!item.grayed);
            const int id = item.id;
            connect(action, &QAction::triggered, this,
                    [this, id] { commands.runFrameCommand(id); });
            actions[id] = action;
        }
        // The enablers run each time a menu opens, as they would before a menu is shown.
        connect(drop, &QMenu::aboutToShow, this, [this] { updateCommandStates(); });
    }
}

// The accelerators are looked up before any widget or shortcut sees the key, as a message loop
// translates them: a focused button does not take Space, and the pages' own Alt+P and Alt+S
// mnemonics give way to them.
void SDIDecFrame::buildAccelerators() {
    QCoreApplication::instance()->installEventFilter(this);
}

int SDIDecFrame::acceleratorFor(QObject* receiver, const QKeyEvent& key) const {
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (widget == nullptr || QApplication::activePopupWidget() != nullptr) {
        return 0;
    }
    const QWidget* window = widget->window();
    if (window != this && std::find(acceleratedWindows.begin(), acceleratedWindows.end(), window) ==
                              acceleratedWindows.end()) {
        return 0;
    }
    const QKeyCombination pressed(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key()));
    for (const Accelerator& entry : mainAccelerators()) {
        if (entry.key[0] == pressed) {
            return entry.id;
        }
    }
    return 0;
}

// Window managers do not let a program add to their window menu; the tray icon's menu carries
// the item instead where there is a tray.
void SDIDecFrame::buildTrayMenu() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    tray = new QSystemTrayIcon(framework::loadIcon(1004), this);
    tray->setToolTip(windowTitle());
    auto* menu = new QMenu(this);
    QAction* toggle = menu->addAction(QString::fromUtf8(systemMenuTogglePlay));
    connect(toggle, &QAction::triggered, this, [this] {
        framework::postMessage(this, framework::WM_SYSCOMMAND,
                               static_cast<WPARAM>(command::togglePlay));
    });
    QAction* surface = menu->addAction(QString::fromUtf8(trayMenuPlaySurface));
    surface->setCheckable(true);
    connect(surface, &QAction::triggered, this,
            [this] { commands.runFrameCommand(command::playSurface); });
    connect(menu, &QMenu::aboutToShow, this, [this, surface] {
        surface->setChecked(commands.commandState(command::playSurface).checked.value_or(false));
    });
    tray->setContextMenu(menu);
    connect(tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
        if (why == QSystemTrayIcon::Trigger) {
            bringToFront();
        }
    });
    tray->show();
}

void SDIDecFrame::shareAccelerators(QWidget* window) {
    acceleratedWindows.emplace_back(window);
}

QWidget* SDIDecFrame::pageOnTop() const {
    return tabWindow != nullptr ? tabWindow->pageAt(tabWindow->selectedIndex()) : nullptr;
}

QAction* SDIDecFrame::menuAction(int id) const {
    const auto found = actions.find(id);
    return found != actions.end() ? found->second : nullptr;
}

void SDIDecFrame::updateCommandStates() {
    for (const auto& [id, action] : actions) {
        const FrameCommands::State state = commands.commandState(id);
        action->setEnabled(state.enabled);
        if (state.checked.has_value()) {
            action->setCheckable(true);
            action->setChecked(*state.checked);
        }
    }
}

void SDIDecFrame::accelerate(int id) {
    if (commands.commandState(id).enabled) {
        commands.runFrameCommand(id);
    }
}

void SDIDecFrame::setStatusText(const QString& text) {
    statusLabel->setFullText(text);
}

QString SDIDecFrame::statusText() const {
    return statusLabel->fullText();
}

void SDIDecFrame::setAlwaysOnTop(bool onTop) {
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    if (flags == windowFlags()) {
        return;
    }
    // Changing the flags through the widget would hide the window; its native window takes
    // them as it stands.
    overrideWindowFlags(flags);
    if (QWindow* native = windowHandle()) {
        native->setFlags(flags);
    }
    if (minimumSize() == maximumSize()) {
        platform::offerNoResizing(this);  // the new flags rewrote the window manager hints
    }
}

bool SDIDecFrame::pinSize() {
    const QSize recorded = size();
    if (recorded.height() <= 50) {
        return false;
    }
    setFixedSize(recorded);
    platform::offerNoResizing(this);
    return true;
}

void SDIDecFrame::showBelowPages(QWidget* panel) {
    auto* bar = new QToolBar(this);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    const QSize before = size();
    const int margins = bar->contentsMargins().left() + bar->contentsMargins().right() + 8;
    const int width = std::max(before.width() - margins, 100);
    panel->setFixedSize(width, panel->hasHeightForWidth() ? panel->heightForWidth(width)
                                                          : panel->sizeHint().height());
    bar->addWidget(panel);
    addToolBar(Qt::BottomToolBarArea, bar);
    setFixedSize(before.width(), before.height() + bar->sizeHint().height());
    connect(panel, &QObject::destroyed, this, [this, bar, before] {
        bar->deleteLater();
        setFixedSize(before);
    });
}

void SDIDecFrame::bringToFront() {
    if (isMinimized() || !isVisible()) {
        showNormal();
    }
    raise();
    activateWindow();
}

void SDIDecFrame::closeEvent(QCloseEvent* e) {
    if (commands.canCloseApplication()) {
        e->accept();
        commands.applicationClosed();
    } else {
        e->ignore();
    }
}

// F1 on a highlighted menu item asks for that command's help.
bool SDIDecFrame::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride || e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (const int id = acceleratorFor(watched, *key); id != 0) {
            if (e->type() == QEvent::ShortcutOverride) {
                key->accept();  // the key comes as a key press, past the shortcut map
            } else if (!key->isAutoRepeat()) {
                // Holding Space must not flip the tone on and off with the key repeat.
                accelerate(id);
            }
            return true;
        }
    }
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1) {
        if (auto* menu = qobject_cast<QMenu*>(watched); menu != nullptr) {
            QAction* active = menu->activeAction();
            framework::HelpInfo info;
            info.contextType = HELPINFO_MENUITEM;
            info.ctrlId = active != nullptr ? active->data().toInt() : 0;
            const QPoint cursor = QCursor::pos();
            info.mouseX = cursor.x();
            info.mouseY = cursor.y();
            framework::sendMessage(this, framework::WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
            return true;
        }
    }
    return framework::TWindowT<QMainWindow>::eventFilter(watched, e);
}

LRESULT SDIDecFrame::sysCommand(WPARAM w, LPARAM /*l*/) {
    if (w == static_cast<WPARAM>(command::togglePlay)) {
        framework::postMessage(pageOnTop(), framework::page::toggle);
        return 0;
    }
    switch (w & 0xFFF0u) {
        case framework::SC_MINIMIZE:
            showMinimized();
            break;
        case SC_RESTORE:
            showNormal();
            break;
        case SC_CLOSE:
            close();
            break;
        default:
            break;
    }
    return 0;
}

LRESULT SDIDecFrame::help(WPARAM /*w*/, LPARAM l) {
    const auto* info = reinterpret_cast<const framework::HelpInfo*>(l);
    controls::HelpProvider* provider = controls::HelpProvider::current();
    if (info == nullptr || provider == nullptr) {
        return 0;
    }
    int id = info->ctrlId;
    if (info->contextType == framework::HELPINFO_WINDOW && info->itemHandle != nullptr) {
        id = framework::dialogControlId(static_cast<const QWidget*>(info->itemHandle));
    }
    provider->showHelpPopup(static_cast<std::uint32_t>(id), info->mouseX, info->mouseY);
    return 0;
}

LRESULT SDIDecFrame::closeMessage(WPARAM /*w*/, LPARAM /*l*/) {
    close();
    return 0;
}

}  // namespace app
