#include "engine/wave/wave_page.h"

#include <QCoreApplication>
#include <QLabel>
#include <QShortcut>
#include <algorithm>

#include "controls/cool_button.h"
#include "controls/help_tables.h"
#include "controls/tone_sliders.h"
#include "controls/tv_slider.h"
#include "engine/wave/wave_page_template.h"
#include "settings/settings_values.h"

using controls::CoolButton;
using controls::TVSlider;
using framework::LPARAM;
using framework::LRESULT;
using framework::Response;
using framework::WPARAM;
namespace page = framework::page;

std::span<const Response<TAppDialog>> TAppDialog::responseTable() {
    static constexpr Response<TAppDialog> table[] = {
        {framework::WM_COMMAND, &TAppDialog::cmPlay, wavepage::playButton},
        {framework::WM_COMMAND, &TAppDialog::cmStop, wavepage::stopButton},
        {framework::MM_WOM_DONE, &TAppDialog::waveDone},
        {page::toggle, &TAppDialog::toggle},
        {page::stop, &TAppDialog::stop},
        {page::restart, &TAppDialog::restart},
        {page::play, &TAppDialog::play},
        {page::fileNew, &TAppDialog::fileNew},
        {page::fileOpen, &TAppDialog::fileOpen},
        {page::fileSaveAs, &TAppDialog::fileSaveAs},
        {page::fileSave, &TAppDialog::fileSave},
        {page::fileClose, &TAppDialog::fileClose},
        {page::queryNotEmpty, &TAppDialog::queryNotEmpty},
        {page::updateTitle, &TAppDialog::updateTitle},
        {page::queryFileOpen, &TAppDialog::queryFileOpen},
        {page::settingsChanged, &TAppDialog::settingsChanged},
        {page::tabLeft, &TAppDialog::stop},
        {framework::WM_NEXTDLGCTL, &TAppDialog::nextControl},
    };
    return table;
}

TAppDialog::TAppDialog(QWidget* parent, framework::PageServices& pageServices)
    : TDialog(parent, wavepage::dialogTemplate),
      ContextHelpWin(this, controls::helptables::wavePage, controls::helptables::wavePageContext),
      services(pageServices),
      port(messagePort()),
      waveOut(pageServices.makeWaveOut()),
      engine(std::make_unique<engine::WaveEngine>(*waveOut, pageServices.cursor,
                                                  pageServices.messageQueue,
                                                  static_cast<engine::WaveEngineHost&>(*this))),
      recording(*this, pageServices, recordingHooks()),
      outputWatch([this] { return engine->outputLost(); }, [this] { outputLost(); }) {
    if (parent != nullptr) {
        setWindowFlags(Qt::Widget);
    }
}

TAppDialog::~TAppDialog() {
    // Nothing the output still reports may reach a page being taken apart.
    port->close();
    outputWatch.stop();
    engine->stopPlaying();
    engine->setRecordingFile(nullptr);
    engine.reset();
    waveOut.reset();
}

QWidget* TAppDialog::createItem(const framework::DialogItem& entry) {
    if (entry.id == wavepage::playButton || entry.id == wavepage::stopButton) {
        auto* button = new CoolButton(this, entry.id, wavepage::playButton, wavepage::stopButton);
        button->setText(QString::fromUtf8(entry.text));
        forwardClicks(button, entry.id);
        (entry.id == wavepage::playButton ? playButton : stopButton) = button;
        if (entry.id == wavepage::playButton) {
            recording.setPlayButton(button);
        }
        return button;
    }
    return TDialog::createItem(entry);
}

void TAppDialog::setupWindow() {
    playButton->setBitmap(5000, 0);
    playButton->setBitmap(5001, 1);
    stopButton->setBitmap(5002, 0);
    stopButton->setBitmap(5003, 1);
    stopButton->setState(CoolButton::held, true);

    makeSliders();
    settings::Pitch = std::min(settings::Pitch.load(), 10);
    settings::Vibrato = std::min(settings::Vibrato.load(), 3);
    settings::Timbre = std::min(settings::Timbre.load(), 10);
    // The handlers run too, so that the value labels show the settings from the start.
    setSlidersFromSettings();

    engine->setScreen(services.cursor.primaryScreenSize());

    // Alt+T and Alt+B reach the sliders whose captions carry those letters, wherever the focus is
    // in the window.
    const std::pair<QKeyCombination, QPointer<TVSlider>*> keys[] = {
        {Qt::ALT | Qt::Key_T, &pitch},
        {Qt::ALT | Qt::Key_B, &vibrato},
    };
    for (const auto& entry : keys) {
        QPointer<TVSlider>* target = entry.second;
        auto* shortcut = new QShortcut(QKeySequence(entry.first), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, target] {
            framework::postMessage(this, framework::WM_NEXTDLGCTL,
                                   reinterpret_cast<WPARAM>(target->data()), 1);
        });
    }

    if (settings::MinimizeOnStart) {
        framework::postMessage(QWidget::window(), framework::WM_SYSCOMMAND, framework::SC_MINIMIZE,
                               0);
    }
    if (settings::PlayOnStart) {
        framework::postMessage(this, page::toggle);
    }
}

void TAppDialog::makeSliders() {
    struct Place {
        int id;
        int frame;
        int maximum;
        QPointer<TVSlider>* slot;
        void (TAppDialog::*moved)();
    };
    const Place places[] = {
        {wavepage::volumeSlider, wavepage::volumeFrame, 100, &volume, &TAppDialog::volumeMoved},
        {wavepage::pitchSlider, wavepage::pitchFrame, 10, &pitch, &TAppDialog::pitchMoved},
        {wavepage::vibratoSlider, wavepage::vibratoFrame, 3, &vibrato, &TAppDialog::vibratoMoved},
        {wavepage::timbreSlider, wavepage::timbreFrame, 10, &timbre, &TAppDialog::timbreMoved},
    };
    for (const Place& place : places) {
        TVSlider* made = controls::makePageSlider(this, place.id, item(place.frame), place.maximum,
                                                  wavepage::thumbBitmap);
        connect(made, &QSlider::valueChanged, this,
                [this, moved = place.moved] { (this->*moved)(); });
        *place.slot = made;
    }
}

TVSlider* TAppDialog::slider(int id) const {
    switch (id) {
        case wavepage::volumeSlider:
            return volume;
        case wavepage::pitchSlider:
            return pitch;
        case wavepage::vibratoSlider:
            return vibrato;
        case wavepage::timbreSlider:
            return timbre;
        default:
            return nullptr;
    }
}

void TAppDialog::setSlidersFromSettings() {
    if (volume == nullptr) {
        return;  // not set up yet: set-up reads the settings itself
    }
    controls::placeToneSlider(*volume, controls::volumeTone);
    controls::placeToneSlider(*pitch, controls::pitchTone);
    controls::placeToneSlider(*vibrato, controls::vibratoTone);
    controls::placeToneSlider(*timbre, controls::timbreTone);
    volumeMoved();
    pitchMoved();
    vibratoMoved();
    timbreMoved();
}

void TAppDialog::volumeMoved() {
    controls::takeToneSetting(*volume, controls::volumeTone, item(wavepage::volumeValue));
}

void TAppDialog::pitchMoved() {
    controls::takeToneSetting(*pitch, controls::pitchTone, item(wavepage::pitchValue));
}

void TAppDialog::vibratoMoved() {
    controls::takeToneSetting(*vibrato, controls::vibratoTone, item(wavepage::vibratoValue));
}

void TAppDialog::timbreMoved() {
    controls::takeToneSetting(*timbre, controls::timbreTone, item(wavepage::timbreValue));
    engine->rebuildWaveTable(settings::Timbre);
}

// Playing ---------------------------------------------------------------------------------------

void TAppDialog::startPlaying() {
    const platform::WaveFormatPcm format = framework::WaveRecording::outputFormat();
    if (engine->isPlaying() || recording.mayPlay(format)) {
        engine->startPlaying();
        if (engine->isPlaying()) {
            playFormat = format;
        }
    }
    showPlayState();
}

void TAppDialog::stopPlaying() {
    engine->stopPlaying();
    showPlayState();
}

void TAppDialog::outputLost() {
    stopPlaying();
    repaintButtons();
    services.messageQueue.request(framework::outputLostBox());
}

void TAppDialog::showPlayState() {
    outputWatch.follow(engine->isPlaying());
    if (playButton == nullptr || stopButton == nullptr) {
        return;
    }
    CoolButton* inForce = engine->isPlaying() ? playButton : stopButton;
    CoolButton* next = engine->isPlaying() ? stopButton : playButton;
    inForce->setState(CoolButton::held, true);
    next->setFocus(Qt::OtherFocusReason);
}

void TAppDialog::repaintButtons() {
    for (CoolButton* button : {playButton.data(), stopButton.data()}) {
        if (button != nullptr) {
            button->update();
        }
    }
}

LRESULT TAppDialog::cmPlay(WPARAM, LPARAM) {
    startPlaying();
    return 0;
}

LRESULT TAppDialog::cmStop(WPARAM, LPARAM) {
    stopPlaying();
    return 0;
}

LRESULT TAppDialog::waveDone(WPARAM session, LPARAM header) {
    engine->onBufferDone(reinterpret_cast<platform::WaveHeader*>(header),
                         static_cast<uint32_t>(session));
    return 0;
}

LRESULT TAppDialog::toggle(WPARAM, LPARAM) {
    if (engine->isPlaying()) {
        stopPlaying();
    } else {
        startPlaying();
    }
    repaintButtons();
    return 0;
}

LRESULT TAppDialog::stop(WPARAM, LPARAM) {
    stopPlaying();
    repaintButtons();
    return 0;
}

LRESULT TAppDialog::restart(WPARAM, LPARAM) {
    engine->onRestart();
    showPlayState();
    return 0;
}

LRESULT TAppDialog::play(WPARAM, LPARAM) {
    startPlaying();
    repaintButtons();
    return 0;
}

void TAppDialog::postBufferDone(platform::WaveHeader* header, uint32_t playSession) noexcept {
    try {
        port->post(framework::MM_WOM_DONE, playSession, reinterpret_cast<LPARAM>(header));
    } catch (...) {
        // Out of memory for the event: this buffer is not queued again. Nothing brings it back;
        // the other buffer plays on until the user stops, and the next play starts both afresh.
    }
}

void TAppDialog::postRestart() {
    framework::postMessage(this, page::restart);
}

void TAppDialog::postToggle() {
    framework::postMessage(this, page::toggle);
}

void TAppDialog::showStatus(const char* text) {
    services.status.setStatusText(QString::fromUtf8(text));
}

void TAppDialog::pumpWaitingMessages() {
    QCoreApplication::processEvents();
}

// Keys ------------------------------------------------------------------------------------------

LRESULT TAppDialog::nextControl(WPARAM control, LPARAM byWindow) {
    focusDialogControl(control, byWindow);
    return 0;
}

// Settings --------------------------------------------------------------------------------------

LRESULT TAppDialog::settingsChanged(WPARAM, LPARAM) {
    setSlidersFromSettings();
    engine->refreshReadout();  // the View flags may have changed
    return 0;
}
