#pragma once
// Window message numbers and parameter types. The frame, the tab window, the pages and the
// controls talk in these numbered messages; postMessage/sendMessage (message_event.h) carry them.

#include <cstdint>

#include "platform/message_box.h"
#include "platform/waveout/wave_out_api.h"

namespace framework {

using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

inline constexpr UINT WM_USER = 0x400;

// System messages the pages and controls see.
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_SETFONT = 0x0030;
inline constexpr UINT WM_HELP = 0x0053;
inline constexpr UINT WM_NOTIFY = 0x004E;
inline constexpr UINT WM_CONTEXTMENU = 0x007B;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_HSCROLL = 0x0114;
inline constexpr UINT WM_VSCROLL = 0x0115;
inline constexpr UINT WM_NEXTDLGCTL = 0x0028;
inline constexpr UINT WM_CLOSE = 0x0010;
using platform::mm::MM_WOM_DONE;

inline constexpr WPARAM SC_MINIMIZE = 0xF020;

// Command ids and notification codes.
using platform::MessageBoxResult::IDCANCEL;
using platform::MessageBoxResult::IDNO;
using platform::MessageBoxResult::IDOK;
using platform::MessageBoxResult::IDYES;
inline constexpr int IDHELP = 9;
inline constexpr UINT BN_CLICKED = 0;

// Property-sheet notifications (code in the NMHDR carried by WM_NOTIFY).
inline constexpr int PSN_SETACTIVE = -200;
inline constexpr int PSN_KILLACTIVE = -201;
inline constexpr int PSN_APPLY = -202;
inline constexpr int PSN_RESET = -203;
inline constexpr int PSN_HELP = -205;

// WM_HELP's parameter block.
inline constexpr int HELPINFO_WINDOW = 1;
struct HelpInfo {
    int contextType = HELPINFO_WINDOW;
    int ctrlId = 0;
    void* itemHandle = nullptr;  // the QWidget the help is about
    int mouseX = 0;
    int mouseY = 0;
};

// WM_NOTIFY's header.
struct NotifyHeader {
    void* from = nullptr;
    int idFrom = 0;
    int code = 0;
    LPARAM data = 0;  // PSN_HELP carries non-zero data when the sheet's Help button was pressed
};

// The page messages.
namespace page {
inline constexpr UINT toggle = WM_USER + 37;
inline constexpr UINT stop = WM_USER + 38;
inline constexpr UINT restart = WM_USER + 40;
inline constexpr UINT play = WM_USER + 41;
inline constexpr UINT fileNew = WM_USER + 44;
inline constexpr UINT fileOpen = WM_USER + 45;
inline constexpr UINT fileSaveAs = WM_USER + 46;
inline constexpr UINT fileSave = WM_USER + 47;
inline constexpr UINT fileClose = WM_USER + 48;
inline constexpr UINT queryNotEmpty = WM_USER + 50;  // sent: 1 if a file is open and not empty
inline constexpr UINT updateTitle = WM_USER + 51;
inline constexpr UINT queryFileOpen = WM_USER + 52;  // sent: 1 if a file is open
// Saves the last play of the page as a performance file, asking where.
inline constexpr UINT keepPerformance = WM_USER + 53;
inline constexpr UINT broadcast = WM_USER + 78;
inline constexpr UINT settingsChanged = WM_USER + 79;
inline constexpr UINT fitFrame = WM_USER + 80;  // to the tab window
// The View choice changed: the playing page tells its readout anew, and nothing else.
inline constexpr UINT viewChanged = WM_USER + 81;
inline constexpr UINT tabLeft = WM_USER + 97;
}  // namespace page

// A CoolButton's group message shares its number with fitFrame; it goes to the buttons' siblings.
inline constexpr UINT CM_BUTTONGROUP = WM_USER + 80;

constexpr WPARAM makeWParam(unsigned low, unsigned high) {
    return static_cast<WPARAM>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}
constexpr unsigned loWord(std::uintptr_t v) {
    return static_cast<unsigned>(v & 0xFFFFu);
}
constexpr unsigned hiWord(std::uintptr_t v) {
    return static_cast<unsigned>((v >> 16) & 0xFFFFu);
}

// A screen point packed as WM_CONTEXTMENU carries it; unpacked with sign so that screens left
// of or above the primary one still give the right point.
constexpr LPARAM packPoint(int x, int y) {
    return static_cast<LPARAM>((static_cast<unsigned>(x) & 0xFFFFu) |
                               ((static_cast<unsigned>(y) & 0xFFFFu) << 16));
}
constexpr int pointX(LPARAM p) {
    return static_cast<std::int16_t>(
        static_cast<std::uint16_t>(static_cast<std::uintptr_t>(p) & 0xFFFFu));
}
constexpr int pointY(LPARAM p) {
    return static_cast<std::int16_t>(
        static_cast<std::uint16_t>((static_cast<std::uintptr_t>(p) >> 16) & 0xFFFFu));
}

}  // namespace framework
