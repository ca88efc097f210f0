#pragma once
// TSetApp: the "General" page of the Options sheet: start-up behaviour, always on top, keeping
// the sound when the window loses the focus, and the launcher in the menu of applications.
// Thread: GUI.

#include <array>
#include <cstdint>
#include <functional>

#include "controls/context_help_win.h"
#include "framework/property_sheet.h"
#include "platform/backends/qt/shortcut.h"

class TSetApp : public framework::TPropertyPage, public controls::ContextHelpWin {
  public:
    static constexpr int playOnStartBox = 302;
    static constexpr int minimizeOnStartBox = 300;
    static constexpr int onTopBox = 313;
    static constexpr int stopFocusBox = 314;
    static constexpr int swoopModeBox = 315;
    static constexpr int quickLaunchBox = 2322;
    static constexpr const char* linkName = "Lirveto";

    // `setTopmost` puts the main window above others (true) or back among them (false).
    explicit TSetApp(std::function<void(bool)> setTopmost, QWidget* parent = nullptr);

    bool apply() override;
    void TransferData(framework::TransferDirection direction) override;

    platform::CShortcut& shortcut() { return quickLaunch; }

  protected:
    QWidget* createItem(const framework::DialogItem& item) override;
    void setupWindow() override;

  private:
    LIRVETO_RESPONSE_TABLE2(TSetApp, framework::TPropertyPage, controls::ContextHelpWin);

    bool shortcutExists() const;

    std::function<void(bool)> setTopmost;
    platform::CShortcut quickLaunch;
    // Check states in the order 302, 300, 313, 314, 315, 2322.
    std::array<std::uint16_t, 6> transfer{};
};
