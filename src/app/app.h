#pragma once
// App: the application object. It loads the settings before any window exists, builds the sound
// pages, the tab window over them and the main frame, answers the frame's commands and saves the
// settings whenever the program closes.

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "app/first_start_hint.h"
#include "app/performances_dlg.h"
#include "app/quillhorn_app.h"
#include "app/rescue_notice.h"
#include "app/sdi_dec_frame.h"
#include "app/settings_file_commands.h"
#include "framework/message_box_service.h"
#include "framework/page_services.h"
#include "framework/property_sheet.h"
#include "framework/window_title.h"
#include "platform/backends/output_devices.h"

namespace controls {
class TWin95TabWindow;
}
namespace surface {
class PlaySurface;
}

namespace app {

// The services the application hands on to its pages and commands: the real ones from main,
// doubles in tests.
struct AppServices {
    platform::Shell& shell;
    platform::Help& help;
    QString programPath;
    platform::MessageBox& messages;
    platform::CursorSource& cursor;
    framework::FileDialogs& fileDialogs;
    std::function<std::unique_ptr<platform::WaveOutApi>()> makeWaveOut;
    std::function<std::unique_ptr<platform::MidiOutApi>()> makeMidiOut = {};
    platform::TimerApi* timer = nullptr;
    std::function<std::unique_ptr<platform::DirectSoundLibrary>()> makeDirectSound = {};
    // The sound server's output devices, for the Options sheet (none when not given).
    std::function<std::vector<platform::OutputDevice>()> listOutputDevices = {};
};

// Makes the sound pages in tab order.
using PageMaker =
    std::function<std::vector<std::unique_ptr<QWidget>>(framework::PageServices& services)>;

namespace show {
inline constexpr int normal = 1;
inline constexpr int minimized = 2;
inline constexpr int maximized = 3;
}  // namespace show

class App : public QuillhornApp, public FrameCommands, public framework::StatusText {
  public:
    static constexpr const char* name = framework::programName;

    // Loads every setting from the per-user store. GUI thread.
    App(const AppServices& services, PageMaker makePages);
    ~App() override;

    // A minimised start stays minimised; any other (maximised too) is shown normal.
    static int adjustShowCommand(int showCommand);

    // Builds the pages, the tab window and the frame, and shows the frame. GUI thread, once.
    SDIDecFrame* initMainWindow(int showCommand = show::normal);

    SDIDecFrame* frame() const { return mainFrame.get(); }
    controls::TWin95TabWindow* tabWindow() const { return tabs; }
    surface::PlaySurface* playSurface() const { return surface.get(); }
    QWidget* page(std::size_t index) const;
    SettingsFileCommands& settingsFiles() { return settingsFileCommands; }
    framework::PageServices& pageServices() { return services; }

    void runFrameCommand(int id) override;
    State commandState(int id) override;
    // Saves the settings to the registry, then asks the pages; the settings are written even
    // when a page keeps the program open.
    bool canCloseApplication() override;
    // Stops every page, keeps their last performances (keepLastPerformances) and leaves the
    // event loop, and any box or dialog's loop running in it.
    void applicationClosed() override;

    // SIGTERM, SIGHUP, SIGINT: ends without asking anything. Each page's unnamed recording and
    // its last performance are kept in recoveryFolder() (the next start says where), the
    // settings are saved, and the event loop ends with status 0. GUI thread.
    void endOnSignal();
    // $XDG_DATA_HOME/Lirveto/recovered.
    static QString recoveryFolder();
    // Each page's newest play that the user did not keep, written into recoveryFolder() as
    // STEM-PAGE.performance (in place of a file of that name when `replace`); the paths written.
    // Exit and window close (as "last-performance", in place of the last ending's, untold) and
    // signals (dated, told at the next start) call it once the pages are stopped.
    QStringList keepLastPerformances(const QString& stem, bool replace);
    // The notice of recordings kept by earlier endings while it is open, else null. Every start
    // after the main window is shown opens it until the user has dismissed it once.
    RescueNotice* rescueNotice() const { return openNotice.data(); }
    // The hint of a first start while it is shown, else null.
    FirstStartHint* firstStartHint() const { return startHint.data(); }

    void setStatusText(const QString& text) override;

    // Stops the page on top and runs the Options sheet; the settings are saved however it
    // closes. GUI thread.
    void showPreferences();
    // The sheet while it is open, else null.
    // Opens File > Performances..., or brings it forward with the plays listed anew. GUI thread.
    void showPerformances();
    // Plays `play` back on its page, brought to the top; false when it did not start.
    bool playBackPerformance(const files::Performance& play);
    PerformancesDlg* performancesDlg() const { return performancesDialog.data(); }
    framework::TPropertySheet* preferencesSheet() const { return optionsSheet.get(); }
    // Another program took the focus (any state but active): the page on top stops unless the
    // user keeps the sound going.
    void applicationStateChanged(Qt::ApplicationState state);

  protected:
    // The frame's first exposure: the notice of kept recordings may open over it.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void postToPage(framework::UINT message);
    void stopEveryPage();
    // Adds what an ending kept to the note the next start shows.
    void noteKept(const QStringList& kept);
    // Opens the notice of the recordings earlier endings kept, once no other box is open.
    void offerRescueNotice();
    int queryPage(framework::UINT message);
    // The full-screen surface, shown at once when it was shown at the last exit.
    void buildPlaySurface();
    // Under the pages: how to play, and the Semitones layout in one click.
    void showFirstStartHint();

    platform::MessageBox& messages;
    framework::MessageBoxService boxQueue;
    PageMaker makePages;
    files::PerformanceHistory performances;  // before the services that name it
    framework::PageServices services;
    SettingsFileCommands settingsFileCommands;
    std::function<std::vector<platform::OutputDevice>()> listOutputDevices;
    std::vector<std::unique_ptr<QWidget>> pages;
    controls::TWin95TabWindow* tabs = nullptr;  // owned by the frame
    std::unique_ptr<SDIDecFrame> mainFrame;
    std::unique_ptr<framework::TPropertySheet> optionsSheet;
    std::unique_ptr<surface::PlaySurface> surface;  // asks the frame for the page on top
    QPointer<RescueNotice> openNotice;
    bool firstStart = false;             // no settings were stored when the program started
    QPointer<FirstStartHint> startHint;  // owned by the frame
    QPointer<PerformancesDlg> performancesDialog;  // owned by the frame
    QString pendingStatus;
    bool ending = false;
};

}  // namespace app
