#pragma once
// ContextHelpWin: gives a page the pop-up help for its controls (F1, the question-mark mode,
// right-click) and its own help topic (its Help button or the sheet's). A page derives from it
// besides its dialog base and chains it in its response table:
//   class TMyPage : public framework::TDialog, public controls::ContextHelpWin {
//       LIRVETO_RESPONSE_TABLE2(TMyPage, TDialog, ContextHelpWin);

#include <QWidget>
#include <cstdint>
#include <optional>

#include "controls/help_tables.h"
#include "framework/message_event.h"

namespace controls {

class ContextHelpWin {
  public:
    // `window` is the page itself; `table` may be null (no table).
    ContextHelpWin(QWidget* window, const HelpPair* table, int helpContext);
    ContextHelpWin(const ContextHelpWin&) = delete;
    ContextHelpWin& operator=(const ContextHelpWin&) = delete;
    virtual ~ContextHelpWin() = default;

    // WM_HELP. Returns 0.
    virtual framework::LRESULT helpRequested(const framework::HelpInfo& info);
    // WM_CONTEXTMENU: the window clicked and the packed screen position. Returns 0.
    virtual framework::LRESULT contextMenuRequested(QWidget* clicked, framework::LPARAM position);

    void showTopic() const;
    void showPopup(std::uint32_t helpId) const;

    // The help id the table gives a control, if any.
    std::optional<std::uint32_t> lookUp(std::uint32_t controlId) const;

    const HelpPair* helpTable() const { return table; }
    int helpContext() const { return context; }

    // WM_HELP, WM_CONTEXTMENU, PSN_HELP with data and command IDHELP; true when taken.
    bool dispatchMessage(framework::MessageEvent& event);

  private:
    QWidget* window;
    const HelpPair* table;
    int context;
};

}  // namespace controls
