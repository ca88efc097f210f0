#include "app/app.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QLayout>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <cstdio>

#include "app/first_start_hint.h"
#include "app/main_menu.h"
#include "app/rescue_note.h"
#include "controls/win95_tab_window.h"
#include "framework/message_event.h"
#include "framework/recording_rescue.h"
#include "framework/resources.h"
#include "pages/midi_page.h"
#include "pages/sound_page.h"
#include "platform/backends/qt/x11_window_hints.h"
#include "platform/output_choice.h"
#include "platform/registry.h"
#include "prefs/options_sheet.h"
#include "settings/playing_values.h"
#include "settings/settings_store.h"
#include "settings/settings_values.h"
#include "surface/play_surface.h"

namespace app {

namespace {

// Every page opens its output with these from the next Play on.
void publishOutputChoice() {
    platform::setOutputChoice({settings::OutputDevice.get(), settings::OutputLatency.load()});
}

}  // namespace

App::App(const AppServices& appServices, PageMaker pageMaker)
    : QuillhornApp(appServices.shell, appServices.help, appServices.programPath),
      messages(appServices.messages),
      boxQueue(appServices.messages),
      makePages(std::move(pageMaker)),
      services{appServices.messages,    boxQueue,
               appServices.cursor,      *this,
               appServices.fileDialogs, appServices.makeWaveOut,
               appServices.makeMidiOut, appServices.timer},
      settingsFileCommands(appServices.fileDialogs, appServices.messages) {
    services.timer = appServices.timer;
    services.makeDirectSound = appServices.makeDirectSound;
    services.performances = &performances;
    listOutputDevices = appServices.listOutputDevices;
    // A missing store is a first start: every value keeps its default.
    firstStart = FirstStartHint::isFirstStart();
    settings::loadSettings(nullptr);
    publishOutputChoice();
    QuillhornApp::setStatusText([this](const QString& text) { setStatusText(text); });
    if (const std::string notice = platform::takeRegistryNotice(); !notice.empty()) {
        setStatusText(QString::fromStdString(notice));
    }
}

App::~App() = default;

int App::adjustShowCommand(int showCommand) {
    return showCommand == show::minimized ? show::minimized : show::normal;
}

SDIDecFrame* App::initMainWindow(int showCommand) {
    if (mainFrame) {
        return mainFrame.get();
    }
    pages = makePages(services);
    std::vector<QWidget*> list;
    for (const auto& page : pages) {
        list.push_back(page.get());
    }
    list.push_back(nullptr);
    tabs = new controls::TWin95TabWindow(nullptr, list.data());
    mainFrame = std::make_unique<SDIDecFrame>(*this, QString::fromUtf8(name), tabs);

    QIcon icon = framework::loadIcon(1003);
    for (const QSize& size : framework::loadIcon(1004).availableSizes()) {
        icon.addPixmap(framework::loadIcon(1004).pixmap(size));
    }
    mainFrame->setWindowIcon(icon);
    setMainWindow(mainFrame.get());

    // The pages are set up here and the frame sized around the largest, before it is shown.
    // The frame's layout is applied by hand so that the tab window can measure it before the
    // frame is first shown.
    QLayout* layout = mainFrame->layout();
    layout->setGeometry(mainFrame->rect());
    tabs->create();
    layout->setGeometry(mainFrame->rect());
    tabs->fitFrameToPages();
    layout->setGeometry(mainFrame->rect());
    mainFrame->pinSize();
    if (firstStart) {
        showFirstStartHint();
    }
    if (settings::OnTop) {
        mainFrame->setAlwaysOnTop(true);
    }
    // Another program taking the focus stops the sound unless the user asked to keep it.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &App::applicationStateChanged);
    if (!pendingStatus.isEmpty()) {
        mainFrame->setStatusText(pendingStatus);
    }
    buildPlaySurface();
    if (adjustShowCommand(showCommand) == show::minimized) {
        mainFrame->showMinimized();
    } else {
        mainFrame->show();
    }
    // From the event loop, not from whatever handler or start-up step is running now.
    QTimer::singleShot(0, this, [this] { offerRescueNotice(); });
    return mainFrame.get();
}

void App::showFirstStartHint() {
    startHint = new FirstStartHint(mainFrame.get(), [this] {
        settings::CursorLayout = settings::PitchLayout::Semitones;
        // Kept at once, so that a crash before Exit does not bring the hint back.
        settings::saveSettings(nullptr, messages);
        if (surface) {
            surface->update();
        }
    });
    mainFrame->showBelowPages(startHint);
}

void App::buildPlaySurface() {
    surface = std::make_unique<surface::PlaySurface>(
        [this] { return surface::mappingOfPage(mainFrame ? mainFrame->pageOnTop() : nullptr); },
        [this]() -> std::optional<QPoint> {
            const auto* page =
                dynamic_cast<const pages::SoundPage*>(mainFrame ? mainFrame->pageOnTop() : nullptr);
            const auto replayed = page != nullptr ? page->replayedPointer() : std::nullopt;
            return replayed ? std::optional<QPoint>(QPoint(replayed->x, replayed->y))
                            : std::nullopt;
        });
    surface->setWindowIcon(mainFrame->windowIcon());
    mainFrame->shareAccelerators(surface.get());
    if (settings::PlaySurface) {
        surface->enter();
    }
}

QWidget* App::page(std::size_t index) const {
    return index < pages.size() ? pages[index].get() : nullptr;
}

void App::postToPage(framework::UINT message) {
    if (mainFrame) {
        framework::postMessage(mainFrame->pageOnTop(), message);
    }
}

int App::queryPage(framework::UINT message) {
    if (!mainFrame) {
        return 0;
    }
    return static_cast<int>(framework::sendMessage(mainFrame->pageOnTop(), message));
}

namespace {

void flip(std::atomic<int32_t>& flag) {
    flag = flag.load() != 0 ? 0 : 1;
}

// Integer and Decimal switch between their mode and none.
void switchMidiMode(int32_t mode) {
    settings::ViewNoteMid = settings::ViewNoteMid.load() == mode ? 0 : mode;
}

}  // namespace

bool App::playBackPerformance(const files::Performance& play) {
    for (int index = 0; tabs != nullptr && index < tabs->pageCount(); ++index) {
        auto* page = dynamic_cast<pages::SoundPage*>(tabs->pageAt(index));
        if (page != nullptr && play.page == page->performancePage()) {
            tabs->select(index);
            return page->playBack(play);
        }
    }
    return false;
}

void App::showPerformances() {
    if (!performancesDialog) {
        performancesDialog = new PerformancesDlg(mainFrame.get(), performances,
                                                 services.fileDialogs, messages, boxQueue);
        performancesDialog->setAttribute(Qt::WA_DeleteOnClose);
        performancesDialog->setPlayBack(
            [this](const files::Performance& play) { return playBackPerformance(play); });
    }
    performancesDialog->refresh();
    performancesDialog->show();
    performancesDialog->raise();
    performancesDialog->activateWindow();
}

void App::runFrameCommand(int id) {
    using namespace framework;
    switch (id) {
        case command::fileNew:
            postToPage(page::fileNew);
            return;
        case command::fileOpen:
            postToPage(page::fileOpen);
            return;
        case command::fileSave:
            postToPage(page::fileSave);
            return;
        case command::fileSaveAs:
            postToPage(page::fileSaveAs);
            return;
        case command::fileClose:
            postToPage(page::fileClose);
            return;
        case command::keepPerformance:
            postToPage(page::keepPerformance);
            return;
        case command::performances:
            showPerformances();
            return;
        case command::play:
            postToPage(page::play);
            return;
        case command::stop:
            postToPage(page::stop);
            return;
        case command::togglePlay:
            postToPage(page::toggle);
            return;
        case command::pitchCorrection:
            // The engines read it at their next step, tick or refill: mid-phrase, no restart.
            settings::Correction = !settings::Correction.load();
            return;
        case command::openSettingsFile:
            if (settingsFileCommands.openSettingsFile(mainFrame.get(), tabs)) {
                publishOutputChoice();
            }
            return;
        case command::saveSettingsAs:
            settingsFileCommands.saveSettingsAs(mainFrame.get());
            return;
        case command::exit:
            if (mainFrame) {
                mainFrame->close();
            }
            return;
        case command::viewNoteName:
            flip(settings::ViewNoteName);
            postToPage(page::viewChanged);  // the readout follows at once
            return;
        case command::viewFrequency:
            flip(settings::ViewNoteFreq);
            postToPage(page::viewChanged);
            return;
        case command::viewVolume:
            flip(settings::ViewNoteVol);
            postToPage(page::viewChanged);
            return;
        case command::viewMidiInteger:
            switchMidiMode(1);
            postToPage(page::viewChanged);
            return;
        case command::viewMidiDecimal:
            switchMidiMode(2);
            postToPage(page::viewChanged);
            return;
        case command::viewNoteCents:
            flip(settings::ViewNoteCents);
            postToPage(page::viewChanged);
            return;
        case command::preferences:
            showPreferences();
            return;
        case command::saveSettings:
            settings::saveSettings(nullptr, messages);
            return;
        case command::playSurface:
            if (surface && surface->isVisible()) {
                surface->leave();
            } else if (surface) {
                surface->enter();
            }
            return;
        default:
            QuillhornApp::runCommand(id);
            return;
    }
}

FrameCommands::State App::commandState(int id) {
    using framework::page::queryFileOpen;
    using framework::page::queryNotEmpty;
    switch (id) {
        case command::fileOpen:
            return {false, {}};
        case command::fileSave:
        case command::fileSaveAs:
            return {queryPage(queryNotEmpty) != 0, {}};
        case command::fileClose:
            return {queryPage(queryFileOpen) != 0, {}};
        case command::viewNoteName:
            return {true, settings::ViewNoteName.load() != 0};
        case command::viewFrequency:
            return {true, settings::ViewNoteFreq.load() != 0};
        case command::viewVolume:
            return {true, settings::ViewNoteVol.load() != 0};
        case command::viewMidiInteger:
            return {true, settings::ViewNoteMid.load() == 1};
        case command::viewMidiDecimal:
            return {true, settings::ViewNoteMid.load() == 2};
        case command::viewNoteCents:
            return {true, settings::ViewNoteCents.load() != 0};
        case command::playSurface:
            return {surface != nullptr, surface && surface->isVisible()};
        case command::pitchCorrection:
            return {true, settings::Correction.load()};
        default:
            return {true, {}};
    }
}

bool App::canCloseApplication() {
    settings::saveSettings(nullptr, messages);
    return tabs == nullptr || tabs->canClose();
}

void App::showPreferences() {
    postToPage(framework::page::stop);
    const std::unique_ptr<platform::WaveOutApi> waveOut =
        services.makeWaveOut ? services.makeWaveOut() : nullptr;
    // The Midi page's own output lists the devices: a second one would load the SoundFont again.
    std::unique_ptr<platform::MidiOutApi> ownMidiOut;
    platform::MidiOutApi* midiOut = nullptr;
    for (const auto& each : pages) {
        if (auto* midiPage = dynamic_cast<pages::MidiPage*>(each.get())) {
            midiOut = &midiPage->midiOutput();
        }
    }
    if (midiOut == nullptr && services.makeMidiOut) {
        ownMidiOut = services.makeMidiOut();
        midiOut = ownMidiOut.get();
    }
    SDIDecFrame* frame = mainFrame.get();
    const prefs::OptionsServices sheetServices{[frame](bool onTop) {
                                                   if (frame != nullptr) {
                                                       frame->setAlwaysOnTop(onTop);
                                                   }
                                               },
                                               waveOut.get(), midiOut, services.fileDialogs,
                                               listOutputDevices};
    optionsSheet = prefs::makeOptionsSheet(mainFrame.get(), sheetServices);
    optionsSheet->adjustSize();
    platform::offerNoResizing(optionsSheet.get());
    optionsSheet->exec();
    optionsSheet.reset();
    publishOutputChoice();
    // Confirmed or cancelled, the settings are stored.
    settings::saveSettings(nullptr, messages);
}

void App::applicationStateChanged(Qt::ApplicationState state) {
    if (state != Qt::ApplicationActive && !settings::StopFocus && !ending) {
        postToPage(framework::page::stop);
    }
}

void App::stopEveryPage() {
    for (const auto& page : pages) {
        framework::sendMessage(page.get(), framework::page::stop);
    }
}

void App::applicationClosed() {
    stopEveryPage();
    // A normal ending keeps the last plays quietly, each in place of its page's from the ending
    // before: a safety net, not news for the next start's notice (which a signal's ending gets).
    keepLastPerformances(QStringLiteral("last-performance"), true);
    // Only a running loop can be left; before it runs (start-up, tests) there is nothing to end.
    if (QThread::currentThread()->loopLevel() > 0) {
        QCoreApplication::exit(0);
    }
}

namespace {

QString dataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Lirveto");
}

QString rescueNotePath() {
    return dataFolder() + QStringLiteral("/recovered-note.txt");
}

// Nobody may be asked anything while the session ends: failures go to the log.
class LoggedMessages final : public platform::MessageBox {
  public:
    int show(const std::string& text, const std::string& caption,
             platform::MessageBoxStyle /*style*/) override {
        (void)std::fprintf(stderr, "lirveto: %s: %s\n", caption.c_str(), text.c_str());
        return platform::MessageBoxResult::IDOK;
    }
};

}  // namespace

QString App::recoveryFolder() {
    return dataFolder() + QStringLiteral("/recovered");
}

QStringList App::keepLastPerformances(const QString& stem, bool replace) {
    QStringList kept;
    for (const auto& page : pages) {
        if (auto* rescue = dynamic_cast<framework::RecordingRescue*>(page.get())) {
            QDir().mkpath(recoveryFolder());
            const QString path = rescue->rescuePerformance(recoveryFolder(), stem, replace);
            if (!path.isEmpty()) {
                kept << QDir::cleanPath(path);
            }
        }
    }
    return kept;
}

void App::noteKept(const QStringList& kept) {
    if (QString error; !kept.isEmpty() && !RescueNote(rescueNotePath()).add(kept, error)) {
        LoggedMessages().show(
            QStringLiteral("The files were kept in %1, but %2 could not be written: %3")
                .arg(recoveryFolder(), rescueNotePath(), error)
                .toStdString(),
            name, platform::MessageBoxStyle::OkExclamation);
    }
}

void App::endOnSignal() {
    if (ending) {
        return;  // a second signal while the first is handled changes nothing
    }
    ending = true;
    stopEveryPage();
    const QString folder = recoveryFolder();
    const QString stem = QStringLiteral("recording-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    QStringList kept;
    for (const auto& page : pages) {
        if (auto* rescue = dynamic_cast<framework::RecordingRescue*>(page.get())) {
            QDir().mkpath(folder);
            const QString path = rescue->rescueRecording(folder, stem);
            if (!path.isEmpty()) {
                kept << QDir::cleanPath(path);
            }
        }
    }
    kept << keepLastPerformances(
        QStringLiteral("performance-") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")),
        false);
    noteKept(kept);
    LoggedMessages logged;
    settings::saveSettings(nullptr, logged);
    if (surface) {
        surface->hide();  // hidden, not left: the next start shows it again
    }
    if (mainFrame) {
        mainFrame->hide();
    }
    if (QThread::currentThread()->loopLevel() > 0) {
        QCoreApplication::exit(0);
    }
}

void App::offerRescueNotice() {
    if (!mainFrame || openNotice || ending) {
        return;
    }
    // Centred over a frame the window manager has not placed yet, the notice would open in a
    // corner.
    if (QWindow* window = mainFrame->windowHandle(); window == nullptr || !window->isExposed()) {
        if (window != nullptr) {
            window->installEventFilter(this);
        }
        return;
    }
    if (!framework::MessageBoxService::mayOpenBox()) {
        QTimer::singleShot(100, this, [this] { offerRescueNotice(); });
        return;
    }
    const QStringList kept = RescueNote(rescueNotePath()).keptRecordings();
    if (kept.isEmpty()) {
        return;
    }
    // Over the full-screen surface when it is shown, or it would open out of sight beneath it.
    QWidget* owner =
        surface && surface->isVisible() ? static_cast<QWidget*>(surface.get()) : mainFrame.get();
    openNotice =
        new RescueNotice(owner, kept, [this](const QString& folder) { openFolder(folder); });
    // Only the user's dismissal drops the note: a start ended before then tells again.
    connect(openNotice, &QDialog::finished, this, [this] {
        RescueNote(rescueNotePath()).remove();
        openNotice->deleteLater();
        openNotice = nullptr;
    });
    openNotice->open();
}

bool App::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && mainFrame && watched == mainFrame->windowHandle()) {
        watched->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] { offerRescueNotice(); });
    }
    return QuillhornApp::eventFilter(watched, event);
}

void App::setStatusText(const QString& text) {
    if (mainFrame) {
        mainFrame->setStatusText(text);
    } else {
        pendingStatus = text;
    }
}

}  // namespace app
