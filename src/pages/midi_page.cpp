#include "pages/midi_page.h"

#include <QComboBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "controls/help_tables.h"
#include "controls/tv_slider.h"
#include "pages/midi_page_template.h"
#include "platform/mmtimer.h"
#include "settings/settings_values.h"

namespace pages {

using framework::LPARAM;
using framework::LRESULT;
using framework::Response;
using framework::WPARAM;
namespace page = framework::page;

namespace {

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

std::unique_ptr<engine::MidiEngine> makeEngine(platform::MidiOutApi& midiOut,
                                               framework::PageServices& services,
                                               platform::CursorSource& cursor,
                                               engine::MidiEngineHost& host) {
    platform::TimerApi& timer =
        services.timer != nullptr ? *services.timer : platform::MultimediaTimer::shared();
    return std::make_unique<engine::MidiEngine>(midiOut, timer, cursor, host);
}

}  // namespace

const MidiPage::Instrument MidiPage::instruments[6] = {
    {"Ocarina", 79}, {"Synth (sawtooth)", 81}, {"Synth (square)", 80},
    {"Flute", 73},   {"Whistle", 78},          {"Choir Aahs", 52},
};

std::span<const Response<MidiPage>> MidiPage::responseTable() {
    static constexpr Response<MidiPage> table[] = {
        {page::restart, &MidiPage::restart},
    };
    return table;
}

MidiPage::MidiPage(QWidget* parent, framework::PageServices& pageServices)
    : SoundPage(parent, midipage::dialogTemplate, controls::helptables::midiPage,
                controls::helptables::midiPageContext, pageServices),
      midiOut(pageServices.makeMidiOut),
      file(std::make_unique<files::MidiFile>(&ownerToken)),
      engine(makeEngine(midiOut, pageServices, capture, *this)),
      take(*this, pageServices, *file,
           {[this] { return engine->lockRecording(); }, [this] { engine->recordingChanged(); }},
           [this] { stopPlaying(); }) {
    engine->setRecordingFile(file.get());
}

MidiPage::~MidiPage() {
    shutDown();
}

QWidget* MidiPage::createItem(const framework::DialogItem& entry) {
    QWidget* made = SoundPage::createItem(entry);
    if (entry.id == midipage::instrumentCombo) {
        instrumentBox = qobject_cast<QComboBox*>(made);
    } else if (entry.id == midipage::bendRangeEdit) {
        bendRangeBox = qobject_cast<QLineEdit*>(made);
        bendRangeBox->setValidator(new QIntValidator(0, 127, bendRangeBox));
    }
    return made;
}

// The first look at the page starts the SoundFont loading, so that it is ready by the first Play.
void MidiPage::showEvent(QShowEvent* event) {
    midiOut.prepare();
    SoundPage::showEvent(event);
}

void MidiPage::setupControls() {
    makeSliders(
        {{midipage::volumeSlider, midipage::volumeFrame, 100, [this] { volumeMoved(); }},
         {midipage::lowPitchSlider, midipage::lowPitchFrame, 127, [this] { lowPitchMoved(); }},
         {midipage::highPitchSlider, midipage::highPitchFrame, 127, [this] { highPitchMoved(); }}},
        midipage::thumbBitmap);
    makeInstrumentList();
    settings::MidiPitch = std::min(settings::MidiPitch.load(), 127);
    settings::MidiPitch2 = std::min(settings::MidiPitch2.load(), 127);
    {
        const QSignalBlocker quiet(volume());
        volume()->setPosition(100 - settings::MidiVolume);
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
    focusSliderOnKey(Qt::ALT | Qt::Key_T, midipage::lowPitchSlider);
}

void MidiPage::makeInstrumentList() {
    for (const Instrument& entry : instruments) {
        instrumentBox->addItem(QString::fromUtf8(entry.name), entry.program);
    }
    // Enter keeps what was typed: a number was taken as it was typed, a name chooses its entry.
    // Added as an entry, the text would carry no program and choose program 0.
    instrumentBox->setInsertPolicy(QComboBox::NoInsert);
}

// The pitch sliders, the instrument and the bend range as the settings have them; no pushing.
void MidiPage::setControlsFromSettings() {
    for (const auto& [control, position] : {std::pair{lowPitch(), 127 - settings::MidiPitch},
                                            std::pair{highPitch(), 127 - settings::MidiPitch2}}) {
        const QSignalBlocker quiet(control);
        control->setPosition(position);
    }
    showLowPitch();
    showHighPitch();
    showInstrument();
    bendRangeBox->setText(QString::number(settings::PitchBend));
}

void MidiPage::volumeMoved() {
    engine->setMidiVolume(100 - volume()->position());
    if (auto* label = qobject_cast<QLabel*>(item(midipage::volumeValue))) {
        label->setText(QString::number(settings::MidiVolume));
    }
}

void MidiPage::showLowPitch() {
    settings::MidiPitch = 127 - lowPitch()->position();
    if (auto* label = qobject_cast<QLabel*>(item(midipage::lowPitchValue))) {
        label->setText(QString::number(settings::MidiPitch));
    }
}

void MidiPage::showHighPitch() {
    settings::MidiPitch2 = 127 - highPitch()->position();
    if (auto* label = qobject_cast<QLabel*>(item(midipage::highPitchValue))) {
        label->setText(QString::number(settings::MidiPitch2));
    }
}

// The two pitches push each other apart, by five semitones, within 0..127.
void MidiPage::lowPitchMoved() {
    showLowPitch();
    if (settings::MidiPitch >= settings::MidiPitch2) {
        const QSignalBlocker quiet(highPitch());
        highPitch()->setPosition(127 - std::min(settings::MidiPitch + 5, 127));
        showHighPitch();
    }
}

void MidiPage::highPitchMoved() {
    showHighPitch();
    if (settings::MidiPitch >= settings::MidiPitch2) {
        const QSignalBlocker quiet(lowPitch());
        lowPitch()->setPosition(127 - std::max(settings::MidiPitch2 - 5, 0));
        showLowPitch();
    }
}

// The entry of the instrument, or its number as the user counts (patch offset added).
void MidiPage::showInstrument() {
    const QSignalBlocker quiet(instrumentBox);
    const int index = instrumentBox->findData(settings::Instrument.load());
    if (index >= 0) {
        instrumentBox->setCurrentIndex(index);
    } else {
        instrumentBox->setCurrentIndex(-1);
        instrumentBox->setEditText(QString::number(settings::PatchOffset + settings::Instrument));
    }
}

void MidiPage::instrumentTyped(const QString& text) {
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

void MidiPage::instrumentChosen(int index) {
    const QVariant program = index >= 0 ? instrumentBox->itemData(index) : QVariant();
    if (program.isValid()) {
        engine->setInstrument(program.toInt());
    }
}

void MidiPage::bendRangeChanged() {
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

LRESULT MidiPage::restart(WPARAM, LPARAM) {
    if (engine->isPlaying()) {
        stopPlaying();
        services.status.setStatusText(QStringLiteral("****"));
        framework::postMessage(this, page::toggle);
    }
    return 0;
}

void MidiPage::showMessage(const char* text, const char* caption) {
    services.messageQueue.request(
        {text, caption, platform::MessageBoxStyle::OkExclamation, "midi open", false});
}

void MidiPage::requestMessage(const char* text, const char* caption) {
    services.messageQueue.request({text, caption, platform::MessageBoxStyle::OkExclamation,
                                   std::string("midi: ") + text, false});
}

// Settings --------------------------------------------------------------------------------------

// The volume follows the one set on the Wave page.
void MidiPage::takeSettings() {
    {
        const QSignalBlocker quiet(volume());
        volume()->setPosition(100 - std::clamp(settings::Volume.load(), 0, 100));
    }
    volumeMoved();
    setControlsFromSettings();
}

}  // namespace pages
