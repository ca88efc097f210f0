#include "engine/dsound/dsound_page.h"

#include <QLabel>
#include <QShortcut>
#include <algorithm>
#include <cstring>

#include "controls/cool_button.h"
#include "controls/help_tables.h"
#include "controls/tone_sliders.h"
#include "controls/tv_slider.h"
#include "engine/dsound/dsound_page_template.h"
#include "platform/mmtimer.h"
#include "settings/settings_values.h"

using controls::CoolButton;
using controls::TVSlider;
using framework::LPARAM;
using framework::LRESULT;
using framework::Response;
using framework::WPARAM;
namespace page = framework::page;

namespace {

// Where the application gives no DirectSound: the library is missing, which Play says.
class MissingDirectSound final : public platform::DirectSoundLibrary {
  public:
    Module loadLibrary(const char* /*name*/) override { return nullptr; }
    platform::DirectSoundCreateFunction* getProcAddress(Module, const char*) override {
        return nullptr;
    }
};

std::unique_ptr<platform::DirectSoundLibrary> makeLibrary(framework::PageServices& services) {
    if (services.makeDirectSound) {
        if (auto made = services.makeDirectSound()) {
            return made;
        }
    }
    return std::make_unique<MissingDirectSound>();
}

platform::TimerApi& timerOf(framework::PageServices& services) {
    return services.timer != nullptr ? *services.timer : platform::MultimediaTimer::shared();
}

}  // namespace

std::span<const Response<TDirectSoundDlg>> TDirectSoundDlg::responseTable() {
    static constexpr Response<TDirectSoundDlg> table[] = {
        {framework::WM_COMMAND, &TDirectSoundDlg::cmPlay, dsoundpage::playButton},
        {framework::WM_COMMAND, &TDirectSoundDlg::cmStop, dsoundpage::stopButton},
        {page::toggle, &TDirectSoundDlg::toggle},
        {page::stop, &TDirectSoundDlg::stop},
        {page::play, &TDirectSoundDlg::play},
        {page::fileNew, &TDirectSoundDlg::fileNew},
        {page::fileOpen, &TDirectSoundDlg::fileOpen},
        {page::fileSaveAs, &TDirectSoundDlg::fileSaveAs},
        {page::fileSave, &TDirectSoundDlg::fileSave},
        {page::fileClose, &TDirectSoundDlg::fileClose},
        {page::queryNotEmpty, &TDirectSoundDlg::queryNotEmpty},
        {page::updateTitle, &TDirectSoundDlg::updateTitle},
        {page::queryFileOpen, &TDirectSoundDlg::queryFileOpen},
        {page::settingsChanged, &TDirectSoundDlg::settingsChanged},
        // Leaving the tab stops this page as it stops the Wave page.
        {page::tabLeft, &TDirectSoundDlg::stop},
        {framework::WM_NEXTDLGCTL, &TDirectSoundDlg::nextControl},
        {statusReady, &TDirectSoundDlg::showReadout},
    };
    return table;
}

TDirectSoundDlg::TDirectSoundDlg(QWidget* parent, framework::PageServices& pageServices)
    : TDialog(parent, dsoundpage::dialogTemplate),
      ContextHelpWin(this, controls::helptables::directSoundPage,
                     controls::helptables::directSoundPageContext),
      services(pageServices),
      port(messagePort()),
      waveOut(pageServices.makeWaveOut()),
      library(makeLibrary(pageServices)),
      engine(std::make_unique<engine::DirectSoundEngine>(
          *waveOut, *library, timerOf(pageServices), pageServices.cursor, pageServices.messageBox,
          static_cast<engine::DirectSoundEngineHost&>(*this))),
      recording(*this, pageServices, recordingHooks()),
      outputWatch([this] { return engine->outputLost(); }, [this] { outputLost(); }) {
    if (parent != nullptr) {
        setWindowFlags(Qt::Widget);
    }
}

TDirectSoundDlg::~TDirectSoundDlg() {
    // Nothing a step still posts may reach a page being taken apart.
    port->close();
    closing = true;
    engine->stopPlaying();
    engine->setRecordingFile(nullptr);
    engine.reset();
}

QWidget* TDirectSoundDlg::createItem(const framework::DialogItem& entry) {
    if (entry.id == dsoundpage::playButton || entry.id == dsoundpage::stopButton) {
        auto* button =
            new CoolButton(this, entry.id, dsoundpage::playButton, dsoundpage::stopButton);
        button->setText(QString::fromUtf8(entry.text));
        forwardClicks(button, entry.id);
        if (entry.id == dsoundpage::playButton) {
            playButton = button;
            recording.setPlayButton(button);
        } else {
            stopButton = button;
        }
        return button;
    }
    return TDialog::createItem(entry);
}

void TDirectSoundDlg::setupWindow() {
    playButton->setBitmap(5000, 0);
    playButton->setBitmap(5001, 1);
    stopButton->setBitmap(5002, 0);
    stopButton->setBitmap(5003, 1);
    stopButton->setState(CoolButton::held, true);

    makeSliders();
    settings::Pitch = std::min(settings::Pitch.load(), 10);
    settings::Timbre = std::min(settings::Timbre.load(), 10);
    // The handlers run too, so that the value labels show the settings from the start.
    setSlidersFromSettings();

    engine->setScreen(services.cursor.primaryScreenSize());

    // Alt+T reaches the pitch slider wherever the focus is in the window. Alt+B, the Wave page's
    // vibrato key, is taken here and does nothing: this page has no vibrato.
    auto* pitchKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_T), this);
    pitchKey->setContext(Qt::WindowShortcut);
    connect(pitchKey, &QShortcut::activated, this, [this] {
        framework::postMessage(this, framework::WM_NEXTDLGCTL,
                               reinterpret_cast<WPARAM>(pitch.data()), 1);
    });
    auto* vibratoKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_B), this);
    vibratoKey->setContext(Qt::WindowShortcut);

    if (settings::MinimizeOnStart) {
        framework::postMessage(QWidget::window(), framework::WM_SYSCOMMAND, framework::SC_MINIMIZE,
                               0);
    }
    if (settings::PlayOnStart) {
        framework::postMessage(this, page::toggle);
    }
}

void TDirectSoundDlg::makeSliders() {
    struct Place {
        int id;
        int frame;
        int maximum;
        QPointer<TVSlider>* slot;
        void (TDirectSoundDlg::*moved)();
    };
    const Place places[] = {
        {dsoundpage::volumeSlider, dsoundpage::volumeFrame, 100, &volume,
         &TDirectSoundDlg::volumeMoved},
        {dsoundpage::pitchSlider, dsoundpage::pitchFrame, 10, &pitch, &TDirectSoundDlg::pitchMoved},
        {dsoundpage::timbreSlider, dsoundpage::timbreFrame, 10, &timbre,
         &TDirectSoundDlg::timbreMoved},
    };
    for (const Place& place : places) {
        auto* made = new TVSlider(this, place.id, dsoundpage::thumbBitmap);
        made->setRange(0, place.maximum);
        made->setTickPosition(QSlider::NoTicks);
        made->setTickInterval(0);
        made->setPageStep(std::max(1, place.maximum / 5));
        if (QWidget* frame = item(place.frame)) {
            const QRect f = frame->geometry();
            made->setGeometry(f.left() + f.width() / 2 - 12, f.top() - 10, 24, f.height() + 20);
            frame->hide();
        }
        connect(made, &QSlider::valueChanged, this,
                [this, moved = place.moved] { (this->*moved)(); });
        made->show();
        *place.slot = made;
    }
}

TVSlider* TDirectSoundDlg::slider(int id) const {
    switch (id) {
        case dsoundpage::volumeSlider:
            return volume;
        case dsoundpage::pitchSlider:
            return pitch;
        case dsoundpage::timbreSlider:
            return timbre;
        default:
            return nullptr;
    }
}

void TDirectSoundDlg::setSlidersFromSettings() {
    if (volume == nullptr) {
        return;  // not set up yet: set-up reads the settings itself
    }
    controls::placeToneSlider(*volume, controls::volumeTone);
    controls::placeToneSlider(*pitch, controls::pitchTone);
    controls::placeToneSlider(*timbre, controls::timbreTone);
    volumeMoved();
    pitchMoved();
    timbreMoved();
}

void TDirectSoundDlg::volumeMoved() {
    controls::takeToneSetting(*volume, controls::volumeTone, item(dsoundpage::volumeValue));
}

void TDirectSoundDlg::pitchMoved() {
    controls::takeToneSetting(*pitch, controls::pitchTone, item(dsoundpage::pitchValue));
}

void TDirectSoundDlg::timbreMoved() {
    controls::takeToneSetting(*timbre, controls::timbreTone, item(dsoundpage::timbreValue));
    engine->rebuildWaveTable(settings::Timbre);
}

// Playing ---------------------------------------------------------------------------------------

void TDirectSoundDlg::startPlaying() {
    if (engine->isPlaying()) {
        return;
    }
    const platform::WaveFormatPcm format = framework::WaveRecording::outputFormat();
    if (!recording.mayPlay(format)) {
        showStopped();
        return;
    }
    {
        const std::lock_guard hold(readoutLock);
        readout[0] = '\0';  // the first step's readout is shown whatever was shown before
    }
    engine->startPlaying();
    if (engine->isPlaying()) {
        playFormat = format;
    }
}

void TDirectSoundDlg::stopPlaying() {
    engine->stopPlaying();
}

void TDirectSoundDlg::outputLost() {
    stopPlaying();
    repaintButtons();
    services.messageQueue.request(framework::outputLostBox());
}

void TDirectSoundDlg::showPlaying() {
    outputWatch.start();
    if (playButton == nullptr || stopButton == nullptr || closing) {
        return;
    }
    playButton->setState(CoolButton::held, true);
    stopButton->setFocus(Qt::OtherFocusReason);
}

void TDirectSoundDlg::showStopped() {
    outputWatch.stop();
    if (playButton == nullptr || stopButton == nullptr || closing) {
        return;
    }
    stopButton->setState(CoolButton::held, true);
    playButton->setFocus(Qt::OtherFocusReason);
}

uintptr_t TDirectSoundDlg::windowHandle() {
    return reinterpret_cast<uintptr_t>(this);
}

void TDirectSoundDlg::postStatus(const char* text) {
    {
        const std::lock_guard hold(readoutLock);
        if (std::strncmp(readout.data(), text, readout.size() - 1) == 0) {
            return;  // the status bar shows it already, or will
        }
        std::strncpy(readout.data(), text, readout.size() - 1);
    }
    // One event at a time: a step every millisecond must not flood the GUI thread.
    if (!readoutPosted.exchange(true)) {
        port->post(statusReady);
    }
}

LRESULT TDirectSoundDlg::showReadout(WPARAM, LPARAM) {
    readoutPosted = false;
    QString text;
    {
        const std::lock_guard hold(readoutLock);
        text = QString::fromUtf8(readout.data());
    }
    services.status.setStatusText(text);
    return 0;
}

void TDirectSoundDlg::requestMessage(const char* text, const char* caption) {
    // The engine asks once per cause and play; the queue shows it when no other box is open.
    services.messageQueue.request({text, caption, platform::MessageBoxStyle::Ok,
                                   std::string("DirectSound step: ") + text, false});
}

void TDirectSoundDlg::repaintButtons() {
    for (CoolButton* button : {playButton.data(), stopButton.data()}) {
        if (button != nullptr) {
            button->update();
        }
    }
}

LRESULT TDirectSoundDlg::cmPlay(WPARAM, LPARAM) {
    startPlaying();
    return 0;
}

LRESULT TDirectSoundDlg::cmStop(WPARAM, LPARAM) {
    stopPlaying();
    return 0;
}

LRESULT TDirectSoundDlg::toggle(WPARAM, LPARAM) {
    if (engine->isPlaying()) {
        stopPlaying();
    } else {
        startPlaying();
    }
    repaintButtons();
    return 0;
}

LRESULT TDirectSoundDlg::stop(WPARAM, LPARAM) {
    stopPlaying();
    repaintButtons();
    return 0;
}

LRESULT TDirectSoundDlg::play(WPARAM, LPARAM) {
    startPlaying();
    repaintButtons();
    return 0;
}

// Keys ------------------------------------------------------------------------------------------

LRESULT TDirectSoundDlg::nextControl(WPARAM control, LPARAM byWindow) {
    if (byWindow == 0) {
        if (control == 0) {
            focusNextChild();
        } else {
            focusPreviousChild();
        }
        return 0;
    }
    // Only a control of this page is followed; the value may be anything a sender put there.
    for (QWidget* child : findChildren<QWidget*>()) {
        if (reinterpret_cast<WPARAM>(child) == control) {
            child->setFocus(Qt::ShortcutFocusReason);
            break;
        }
    }
    return 0;
}

// Settings and recording ------------------------------------------------------------------------

LRESULT TDirectSoundDlg::settingsChanged(WPARAM, LPARAM) {
    setSlidersFromSettings();
    return 0;
}

framework::WaveRecording::Hooks TDirectSoundDlg::recordingHooks() {
    return {[this](files::WaveFile* file) { engine->setRecordingFile(file); },
            // While playing, the recording takes the format the buffer was opened with.
            [this] {
                return engine->isPlaying() ? playFormat : framework::WaveRecording::outputFormat();
            },
            &engine->recordingLock()};
}

bool TDirectSoundDlg::canClose() {
    return recording.saveCheck();
}

QString TDirectSoundDlg::rescueRecording(const QString& folder, const QString& stem) {
    stopPlaying();
    return recording.rescue(folder, stem);
}

LRESULT TDirectSoundDlg::fileNew(WPARAM, LPARAM) {
    recording.fileNew();
    return 0;
}

LRESULT TDirectSoundDlg::fileOpen(WPARAM, LPARAM) {
    recording.fileOpen();
    return 0;
}

LRESULT TDirectSoundDlg::fileSaveAs(WPARAM, LPARAM) {
    return recording.saveAs() ? 1 : 0;
}

LRESULT TDirectSoundDlg::fileSave(WPARAM, LPARAM) {
    return recording.fileSave() ? 1 : 0;
}

LRESULT TDirectSoundDlg::fileClose(WPARAM, LPARAM) {
    recording.fileClose();
    return 0;
}

LRESULT TDirectSoundDlg::queryNotEmpty(WPARAM, LPARAM) {
    return recording.holdsSound() ? 1 : 0;
}

LRESULT TDirectSoundDlg::queryFileOpen(WPARAM, LPARAM) {
    return recording.isOpen() ? 1 : 0;
}

LRESULT TDirectSoundDlg::updateTitle(WPARAM, LPARAM) {
    recording.showTitle();
    return 0;
}
