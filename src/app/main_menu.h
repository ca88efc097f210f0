#pragma once
// The main window's resources: menu 100, accelerator table 100 and the string table of menu hints.

#include <QKeySequence>
#include <QString>
#include <span>

namespace app {

namespace command {
inline constexpr int fileNew = 24331;
inline constexpr int fileOpen = 24332;
inline constexpr int fileSave = 24333;
inline constexpr int fileSaveAs = 24334;
inline constexpr int fileClose = 24339;
inline constexpr int keepPerformance = 24340;
inline constexpr int performances = 24341;
inline constexpr int openSettingsFile = 25020;
inline constexpr int saveSettingsAs = 25021;
inline constexpr int exit = 24310;
inline constexpr int play = 25091;
inline constexpr int stop = 25092;
inline constexpr int togglePlay = 25002;
inline constexpr int pitchCorrection = 25093;  // the playing aids' correction, on or off
inline constexpr int viewNoteName = 25600;
inline constexpr int viewMidiInteger = 25601;
inline constexpr int viewMidiDecimal = 25602;
inline constexpr int viewFrequency = 25603;
inline constexpr int viewVolume = 25604;
inline constexpr int viewNoteCents = 25605;  // the nearest note and cents readout, on or off
inline constexpr int playSurface = 25610;
inline constexpr int preferences = 25006;
inline constexpr int saveSettings = 18999;  // no menu item
}  // namespace command

inline constexpr int menuResourceId = 100;
inline constexpr int acceleratorResourceId = 100;

// One entry of a drop-down menu; id 0 is a separator line.
struct MenuItem {
    int id = 0;
    const char* text = nullptr;  // "&" marks the access key, "\t" comes before the shown shortcut
    bool grayed = false;
};

struct Menu {
    const char* title;
    std::span<const MenuItem> items;
};

struct Accelerator {
    QKeySequence key;
    int id;
};

std::span<const Menu> mainMenu();
std::span<const Accelerator> mainAccelerators();

// The menu hint for a command id, empty when the string table has none.
QString menuHint(int id);

// The system menu item; the window manager's own menu cannot take it, so it goes on the tray
// icon's menu.
inline constexpr const char* systemMenuTogglePlay = "Toggle Play";
inline constexpr const char* trayMenuPlaySurface = "Play surface";

}  // namespace app
