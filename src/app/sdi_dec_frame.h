#pragma once
// SDIDecFrame: the main window. The tab window is its client, the status bar its bottom
// decoration; it carries the menu and the accelerators and hands every command to the
// application object.

#include <QMainWindow>
#include <QPointer>
#include <map>
#include <optional>
#include <vector>

#include "app/status_label.h"
#include "framework/window.h"

class QKeyEvent;
class QLabel;
class QMenu;
class QSystemTrayIcon;

namespace controls {
class TTabWindow;
}

namespace app {

// What the frame asks of the application object. GUI thread.
class FrameCommands {
  public:
    struct State {
        bool enabled = true;
        std::optional<bool> checked;  // set for the items that carry a check mark
    };
    virtual ~FrameCommands() = default;
    virtual void runFrameCommand(int id) = 0;
    virtual State commandState(int id) = 0;
    // The application's close check: false keeps the program running.
    virtual bool canCloseApplication() = 0;
    // The frame has accepted its close: the program ends, whatever other windows are open.
    virtual void applicationClosed() = 0;
};

inline constexpr framework::WPARAM SC_CLOSE = 0xF060;
inline constexpr framework::WPARAM SC_RESTORE = 0xF120;
inline constexpr int HELPINFO_MENUITEM = 2;

class SDIDecFrame : public framework::TWindowT<QMainWindow> {
  public:
    // `client` (the tab window) becomes the central widget.
    SDIDecFrame(FrameCommands& commands, const QString& title, controls::TTabWindow* client);
    ~SDIDecFrame() override;

    controls::TTabWindow* client() const { return tabWindow; }
    // The page the tab window shows, or null.
    QWidget* pageOnTop() const;

    // The menu item with this command id, or null.
    QAction* menuAction(int id) const;
    // Runs the enablers: enabled states and check marks of every item.
    void updateCommandStates();
    // An accelerator key: the command runs only when its item is enabled, as the menu shows it.
    void accelerate(int id);

    // The readout and notes on the status bar (menu hints show over it while a menu is open).
    void setStatusText(const QString& text);
    QString statusText() const;

    // Pins the frame to its present size when it is taller than 50 pixels. Returns whether it did.
    bool pinSize();

    // Shows `panel` under the pages, the frame growing by its height; the frame shrinks back to
    // its size when the panel is deleted.
    void showBelowPages(QWidget* panel);
    // Keeps the window above other windows, or lets it go back among them, at once.
    void setAlwaysOnTop(bool onTop);

    // Shows, raises and activates the window (another start asked for it).
    void bringToFront();

    QSystemTrayIcon* trayIcon() const { return tray; }

    // The accelerators also work while `window` (another top-level window of ours) is active.
    void shareAccelerators(QWidget* window);

  protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    LIRVETO_RESPONSE_TABLE(SDIDecFrame, framework::TWindowT<QMainWindow>);

    framework::LRESULT sysCommand(framework::WPARAM w, framework::LPARAM l);
    framework::LRESULT help(framework::WPARAM w, framework::LPARAM l);
    framework::LRESULT closeMessage(framework::WPARAM w, framework::LPARAM l);

    void buildMenu();
    void buildAccelerators();
    void buildTrayMenu();
    // The command of the accelerator the key is, 0 when none or the key is not for this frame.
    int acceleratorFor(QObject* receiver, const QKeyEvent& key) const;

    FrameCommands& commands;
    controls::TTabWindow* tabWindow;
    StatusLabel* statusLabel = nullptr;
    QSystemTrayIcon* tray = nullptr;
    std::map<int, QAction*> actions;
    std::vector<QPointer<QWidget>> acceleratedWindows;
};

}  // namespace app
