#include "app/main_menu.h"

#include "app/quillhorn_app.h"

namespace app {

namespace {

constexpr MenuItem fileItems[] = {
    {command::fileNew, "&New\tCtrl+N"},
    {command::fileOpen, "&Open...", true},
    {command::fileSave, "&Save\tCtrl+S"},
    {command::fileSaveAs, "Save &As..."},
    {command::fileClose, "&Close"},
    {command::keepPerformance, "&Keep last performance..."},
    {command::performances, "&Performances..."},
    {0, ""},
    {command::openSettingsFile, "Open settings file..."},
    {command::saveSettingsAs, "Save settings as..."},
    {0, ""},
    {command::exit, "E&xit\tAlt+F4"},
};

constexpr MenuItem controlItems[] = {
    {command::play, "&Play\tAlt+P"},
    {command::stop, "&Stop\tAlt+S"},
    {command::togglePlay, "&Toggle play\tSpace"},
    {0, ""},
    {command::pitchCorrection, "&Correct pitch\tCtrl+T"},
};

constexpr MenuItem viewItems[] = {
    {command::viewNoteName, "&Note name"},
    {command::viewFrequency, "&Frequency"},
    {command::viewVolume, "&Volume"},
    {0, ""},
    {command::viewMidiInteger, "Midi note &Integer"},
    {command::viewMidiDecimal, "Midi note &Decimal"},
    {command::viewNoteCents, "Nearest note and &cents"},
    {0, ""},
    {command::playSurface, "Play &surface\tF11"},
};

constexpr MenuItem optionItems[] = {
    {command::preferences, "&Preferences..."},
    {0, ""},
    {command::mixerPlay, "Mixer play control..."},
    {command::mixerVolume, "Mixer volume..."},
    {command::multimediaProperties, "System multimedia properties"},
};

constexpr MenuItem helpItems[] = {
    {command::helpContents, "&Contents"},
    {0, ""},
    {command::checkForUpdates, "Check for &Updates"},
    {command::productPage, "Lirveto product web page"},
    {command::makerSite, "Quillhorn web site"},
    {0, ""},
    {command::about, "&About Lirveto..."},
};

constexpr Menu menus[] = {
    {"&File", fileItems},      {"&Control", controlItems}, {"&View", viewItems},
    {"&Options", optionItems}, {"&Help", helpItems},
};

struct Hint {
    int id;
    const char* text;
};

constexpr Hint hints[] = {
    {command::fileNew, "New sound output file"},
    {command::fileSave, "Save file now"},
    {command::fileSaveAs, "Change name of sound file"},
    {command::fileClose, "Close sound file"},
    {command::keepPerformance, "Save what the last play of this page read, to render it again"},
    {command::performances, "Keep or export any play since Lirveto started"},
    {command::openSettingsFile, "Select settings INI file"},
    {command::saveSettingsAs, "Save settings as INI file"},
    {command::exit, "Save and Quit Lirveto"},
    {command::play, "Start sound output"},
    {command::stop, "Stop sound output"},
    {command::togglePlay, "Toggle sound output"},
    {command::pitchCorrection, "Pull the pitch toward the notes of the chosen scale"},
    {command::viewNoteCents, "Show the nearest note and how many cents off it the pitch is"},
    {command::playSurface, "Play on the whole screen, with the notes shown"},
    {command::preferences, "Configure program operation"},
    {command::mixerPlay, "Display sound card play mixer"},
    {command::mixerVolume, "Display sound volume slider"},
    {command::multimediaProperties, "Display multimedia properties"},
    {command::helpContents, "Help table of contents"},
    {command::about, "About the Lirveto program"},
};

}  // namespace

std::span<const Menu> mainMenu() {
    return menus;
}

std::span<const Accelerator> mainAccelerators() {
    static const Accelerator table[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), command::fileNew},
        {QKeySequence(Qt::CTRL | Qt::Key_S), command::fileSave},
        {QKeySequence(Qt::ALT | Qt::Key_P), command::play},
        {QKeySequence(Qt::ALT | Qt::Key_S), command::stop},
        {QKeySequence(Qt::Key_Space), command::togglePlay},
        {QKeySequence(Qt::CTRL | Qt::Key_T), command::pitchCorrection},
        {QKeySequence(Qt::Key_F11), command::playSurface},
    };
    return table;
}

QString menuHint(int id) {
    for (const Hint& hint : hints) {
        if (hint.id == id) {
            return QString::fromUtf8(hint.text);
        }
    }
    return {};
}

}  // namespace app
