#include "engine/midi/midi_page.h"

#include <QComboBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <algorithm>

#include "controls/cool_button.h"
#include "controls/help_tables.h"
#include "controls/tv_slider.h"
#include "engine/midi/midi_page_template.h"
#include "platform/midiout.h"
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

// The page's own messages, posted to itself.
constexpr framework::UINT statusMessage = framework::WM_USER + 120;
constexpr framework::UINT startUpPlay = framework::WM_USER + 121;

// The typed instrument is read from at most this many characters.
constexpr qsizetype typedDigits = 9;

// The decimal number at the start of `text` (after blanks, with an optional sign); 0 when none.
int leadingNumber(const QString& text, qsizetype limit) {
    const QString head = text.left(limit).trimmed();
    qsizetype end = 0;
    if (end < head.size() && (head[end] == QLatin1Char('-') || head[end] == QLatin1Char('+'))) {
        ++end;
    }
    while (end < head.size() && head[end].isDigit() && head[end].unicode() < 128) {
        ++end;
    }
    return head.left(end).toInt();
}

std::unique_ptr<platform::MidiOutApi> noMidiDevices() {
    static platform::FixedMidiOutDevices none{{}};
    return std::make_unique<platform::MidiOut>(none);
}

}  // namespace

const TMidiDialog::Instrument TMidiDialog::instruments[6] = {
    {"Ocarina", 79}, {"Synth (sawtooth)", 81}, {"Synth (square)", 80},
    {"Flute", 73},   {"Whistle", 78},          {"Choir Aahs", 52},
};

std::span<const Response<TMidiDialog>> TMidiDialog::responseTable() {
    static constexpr Response<TMidiDialog> table[] = {
        {framework::WM_COMMAND, &TMidiDialog::cmPlay, midipage::playButton},
        {framework::WM_COMMAND, &TMidiDialog::cmStop, midipage::stopButton},
        {page::toggle, &TMidiDialog::toggle},
        {page::stop, &TMidiDialog::stop},
        {page::restart, &TMidiDialog::restart},
        {page::play, &TMidiDialog::play},
        {page::fileNew, &TMidiDialog::fileNew},
        {page::fileOpen, &TMidiDialog::fileOpen},
        {page::fileSaveAs, &TMidiDialog::fileSaveAs},
        {page::fileSave, &TMidiDialog::fileSave},
        {page::fileClose, &TMidiDialog::fileClose},
        {page::queryNotEmpty, &TMidiDialog::queryNotEmpty},
        {page::updateTitle, &TMidiDialog::updateTitle},
        {page::queryFileOpen, &TMidiDialog::queryFileOpen},
        {page::settingsChanged, &TMidiDialog::settingsChanged},
        {page::tabLeft, &TMidiDialog::stop},
        {framework::WM_NEXTDLGCTL, &TMidiDialog::nextControl},
        {statusMessage, &TMidiDialog::statusReady},
        {startUpPlay, &TMidiDialog::playOnStart},
    };
    return table;
}

TMidiDialog::TMidiDialog(QWidget* parent, framework::PageServices& pageServices)
    : TDialog(parent, midipage::dialogTemplate),
      ContextHelpWin(this, controls::helptables::midiPage, controls::helptables::midiPageContext),
      services(pageServices),
      port(messagePort()),
      midiOut(pageServices.makeMidiOut ? pageServices.makeMidiOut() : noMidiDevices()),
      file(std::make_unique<files::MidiFile>(&ownerToken)) {
    if (parent != nullptr) {
        setWindowFlags(Qt::Widget);
    }
    if (midiOut == nullptr) {
        midiOut = noMidiDevices();
    }
    platform::TimerApi& timer =
        services.timer != nullptr ? *services.timer : platform::MultimediaTimer::shared();
    engine = std::make_unique<engine::MidiEngine>(*midiOut, timer, services.cursor,
                                                  static_cast<engine::MidiEngineHost&>(*this));
    engine->setRecordingFile(file.get());
}

TMidiDialog::~TMidiDialog() {
    // Nothing the tick still reports may reach a page being taken apart.
    port->close();
    outputWatch.stop();
    engine->stop();
    engine.reset();
}

QWidget* TMidiDialog::createItem(const framework::DialogItem& entry) {
    if (entry.id == midipage::playButton || entry.id == midipage::stopButton) {
        auto* button = new CoolButton(this, entry.id, midipage::playButton, midipage::stopButton);
        button->setText(QString::fromUtf8(entry.text));
        forwardClicks(button, entry.id);
        (entry.id == midipage::playButton ? playButton : stopButton) = button;
        return button;
    }
    QWidget* made = TDialog::createItem(entry);
    if (entry.id == midipage::instrumentCombo) {
        instrumentBox = qobject_cast<QComboBox*>(made);
    } else if (entry.id == midipage::bendRangeEdit) {
        bendRangeBox = qobject_cast<QLineEdit*>(made);
        bendRangeBox->setValidator(new QIntValidator(0, 127, bendRangeBox));
    }
    return made;
}

void TMidiDialog::setupWindow() {
    playButton->setBitmap(5000, 0);
    playButton->setBitmap(5001, 1);
    stopButton->setBitmap(5002, 0);
    stopButton->setBitmap(5003, 1);
    stopButton->setState(CoolButton::held, true);

    makeSliders();
    makeInstrumentList();
    settings::MidiPitch = std::min(settings::MidiPitch.load(), 127);
    settings::MidiPitch2 = std::min(settings::MidiPitch2.load(), 127);
    {
        const QSignalBlocker quiet(volume);
        volume->setPosition(100 - settings::MidiVolume);
    }
    volumeMoved();
    setControlsFromSettings();

    connect(instrumentBox->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& text) { instrumentTyped(text); });
    connect(instrumentBox, &QComboBox::activated, this,
            [this](int index) { instrumentChosen(index); });
    connect(bendRangeBox, &QLineEdit::textChanged, this, [this] { bendRangeChanged(); });

    engine->setScreen(services.cursor.primaryScreenSize());

    // Alt+T reaches the low-pitch slider wherever the focus is in the window.
    auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_T), this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this] {
        framework::postMessage(this, framework::WM_NEXTDLGCTL,
                               reinterpret_cast<WPARAM>(lowPitch.data()), 1);
    });

    if (settings::MinimizeOnStart) {
        framework::postMessage(QWidget::window(), framework::WM_SYSCOMMAND, framework::SC_MINIMIZE,
                               0);
    }
    if (settings::PlayOnStart) {
        framework::postMessage(this, startUpPlay);
    }
}

void TMidiDialog::makeSliders() {
    struct Place {
        int id;
        int frame;
        int maximum;
        QPointer<TVSlider>* slot;
        void (TMidiDialog::*moved)();
    };
    const Place places[] = {
        {midipage::volumeSlider, midipage::volumeFrame, 100, &volume, &TMidiDialog::volumeMoved},
        {midipage::lowPitchSlider, midipage::lowPitchFrame, 127, &lowPitch,
         &TMidiDialog::lowPitchMoved},
        {midipage::highPitchSlider, midipage::highPitchFrame, 127, &highPitch,
         &TMidiDialog::highPitchMoved},
    };
    for (const Place& place : places) {
        TVSlider* made = controls::makePageSlider(this, place.id, item(place.frame), place.maximum,
                                                  midipage::thumbBitmap);
        connect(made, &QSlider::valueChanged, this,
                [this, moved = place.moved] { (this->*moved)(); });
        *place.slot = made;
    }
}

void TMidiDialog::makeInstrumentList() {
    for (const Instrument& entry : instruments) {
        instrumentBox->addItem(QString::fromUtf8(entry.name), entry.program);
    }
}

TVSlider* TMidiDialog::slider(int id) const {
    switch (id) {
        case midipage::volumeSlider:
            return volume;
        case midipage::lowPitchSlider:
            return lowPitch;
        case midipage::highPitchSlider:
            return highPitch;
        default:
            return nullptr;
    }
}

// The pitch sliders, the instrument and the bend range as the settings have them; no pushing.
void TMidiDialog::setControlsFromSettings() {
    for (const auto& [control, position] :
         {std::pair{lowPitch.data(), 127 - settings::MidiPitch},
          std::pair{highPitch.data(), 127 - settings::MidiPitch2}}) {
        const QSignalBlocker quiet(control);
        control->setPosition(position);
    }
    showLowPitch();
    showHighPitch();
    showInstrument();
    bendRangeBox->setText(QString::number(settings::PitchBend));
}

void TMidiDialog::volumeMoved() {
    engine->setMidiVolume(100 - volume->position());
    if (auto* label = qobject_cast<QLabel*>(item(midipage::volumeValue))) {
        label->setText(QString::number(settings::MidiVolume));
    }
}

void TMidiDialog::showLowPitch() {
    settings::MidiPitch = 127 - lowPitch->position();
    if (auto* label = qobject_cast<QLabel*>(item(midipage::lowPitchValue))) {
        label->setText(QString::number(settings::MidiPitch));
    }
}

void TMidiDialog::showHighPitch() {
    settings::MidiPitch2 = 127 - highPitch->position();
    if (auto* label = qobject_cast<QLabel*>(item(midipage::highPitchValue))) {
        label->setText(QString::number(settings::MidiPitch2));
    }
}

// The two pitches push each other apart, by five semitones, within 0..127.
void TMidiDialog::lowPitchMoved() {
    showLowPitch();
    if (settings::MidiPitch >= settings::MidiPitch2) {
        const QSignalBlocker quiet(highPitch);
        highPitch->setPosition(127 - std::min(settings::MidiPitch + 5, 127));
        showHighPitch();
    }
}

void TMidiDialog::highPitchMoved() {
    showHighPitch();
    if (settings::MidiPitch >= settings::MidiPitch2) {
        const QSignalBlocker quiet(lowPitch);
        lowPitch->setPosition(127 - std::max(settings::MidiPitch2 - 5, 0));
        showLowPitch();
    }
}

// The entry of the instrument, or its number as the user counts (patch offset added).
void TMidiDialog::showInstrument() {
    const QSignalBlocker quiet(instrumentBox);
    const int index = instrumentBox->findData(settings::Instrument.load());
    if (index >= 0) {
        instrumentBox->setCurrentIndex(index);
    } else {
        instrumentBox->setCurrentIndex(-1);
        instrumentBox->setEditText(QString::number(settings::PatchOffset + settings::Instrument));
    }
}

void TMidiDialog::instrumentTyped(const QString& text) {
    const int typed = leadingNumber(text, typedDigits);
    int instrument = settings::Instrument;
    if (typed >= 1 && typed <= 127) {
        instrument = typed - settings::PatchOffset;
    } else if (typed > 128) {
        const QSignalBlocker quiet(instrumentBox);
        instrumentBox->setEditText(QStringLiteral("128"));
        instrument = 128 - settings::PatchOffset;
    }
    engine->setInstrument(instrument);
}

void TMidiDialog::instrumentChosen(int index) {
    if (index < 0) {
        return;
    }
    engine->setInstrument(instrumentBox->itemData(index).toInt());
}

void TMidiDialog::bendRangeChanged() {
    const QString text = bendRangeBox->text();
    if (text.isEmpty()) {
        return;
    }
    const int typed = leadingNumber(text, text.size());
    const int range = engine->setBendRange(typed);
    if (typed > 127) {
        const QSignalBlocker quiet(bendRangeBox);
        bendRangeBox->setText(QString::number(range));
    }
}

// Playing ---------------------------------------------------------------------------------------

void TMidiDialog::startPlaying() {
    engine->start();
    showPlayState();
}

void TMidiDialog::stopPlaying() {
    engine->stop();
    showPlayState();
}

void TMidiDialog::outputLost() {
    stopPlaying();
    repaintButtons();
    services.messageQueue.request(framework::outputLostBox());
}

void TMidiDialog::showPlayState() {
    outputWatch.follow(engine->isPlaying());
    if (playButton == nullptr || stopButton == nullptr) {
        return;
    }
    CoolButton* inForce = engine->isPlaying() ? playButton : stopButton;
    CoolButton* next = engine->isPlaying() ? stopButton : playButton;
    inForce->setState(CoolButton::held, true);
    next->setFocus(Qt::OtherFocusReason);
}

void TMidiDialog::repaintButtons() {
    for (CoolButton* button : {playButton.data(), stopButton.data()}) {
        if (button != nullptr) {
            button->update();
        }
    }
}

LRESULT TMidiDialog::cmPlay(WPARAM, LPARAM) {
    startPlaying();
    return 0;
}

LRESULT TMidiDialog::cmStop(WPARAM, LPARAM) {
    stopPlaying();
    return 0;
}

LRESULT TMidiDialog::toggle(WPARAM, LPARAM) {
    if (engine->isPlaying()) {
        stopPlaying();
    } else {
        startPlaying();
    }
    repaintButtons();
    return 0;
}

LRESULT TMidiDialog::stop(WPARAM, LPARAM) {
    stopPlaying();
    repaintButtons();
    return 0;
}

LRESULT TMidiDialog::restart(WPARAM, LPARAM) {
    if (engine->isPlaying()) {
        stopPlaying();
        services.status.setStatusText(QStringLiteral("****"));
        framework::postMessage(this, page::toggle);
    }
    return 0;
}

LRESULT TMidiDialog::play(WPARAM, LPARAM) {
    startPlaying();
    repaintButtons();
    return 0;
}

// Only the page on top plays at start-up; the others would sound unseen, with no Stop in reach.
LRESULT TMidiDialog::playOnStart(WPARAM, LPARAM) {
    if (isVisible()) {
        toggle(0, 0);
    }
    return 0;
}

void TMidiDialog::showStatus(const char* text) {
    {
        std::lock_guard lock(statusMutex);
        latestStatus = text;
    }
    if (!statusPosted.exchange(true)) {
        port->post(statusMessage);
    }
}

LRESULT TMidiDialog::statusReady(WPARAM, LPARAM) {
    std::string text;
    {
        std::lock_guard lock(statusMutex);
        statusPosted = false;
        text = latestStatus;
    }
    services.status.setStatusText(QString::fromUtf8(text));
    return 0;
}

void TMidiDialog::showMessage(const char* text, const char* caption) {
    requestMessage(text, caption, "midi open");
}

void TMidiDialog::requestMessage(const char* text, const char* caption) {
    requestMessage(text, caption, std::string("midi: ") + text);
}

void TMidiDialog::requestMessage(const std::string& text, const std::string& caption,
                                 const std::string& cause) {
    services.messageQueue.request(
        {text, caption, platform::MessageBoxStyle::OkExclamation, cause, false});
}

// Keys ------------------------------------------------------------------------------------------

LRESULT TMidiDialog::nextControl(WPARAM control, LPARAM byWindow) {
    focusDialogControl(control, byWindow);
    return 0;
}

// Settings --------------------------------------------------------------------------------------

// The volume follows the one set on the Wave page.
LRESULT TMidiDialog::settingsChanged(WPARAM, LPARAM) {
    {
        const QSignalBlocker quiet(volume);
        volume->setPosition(100 - std::clamp(settings::Volume.load(), 0, 100));
    }
    volumeMoved();
    setControlsFromSettings();
    return 0;
}
