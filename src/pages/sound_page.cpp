#include "pages/sound_page.h"

#include <QShortcut>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <system_error>

#include "controls/cool_button.h"
#include "controls/tone_sliders.h"
#include "controls/tv_slider.h"
#include "pages/performance_keeping.h"
#include "platform/atomic_file.h"
#include "settings/played_settings.h"
#include "settings/settings_values.h"

namespace pages {

using controls::CoolButton;
using controls::TVSlider;
using framework::LPARAM;
using framework::LRESULT;
using framework::Response;
using framework::WPARAM;
namespace page = framework::page;

namespace {

// The page's own message, posted to itself.
constexpr framework::UINT startUpPlay = framework::WM_USER + 121;

}  // namespace

std::span<const Response<SoundPage>> SoundPage::responseTable() {
    static constexpr Response<SoundPage> table[] = {
        {framework::WM_COMMAND, &SoundPage::cmPlay, playButtonId},
        {framework::WM_COMMAND, &SoundPage::cmStop, stopButtonId},
        {page::toggle, &SoundPage::toggle},
        {page::stop, &SoundPage::stop},
        {page::play, &SoundPage::playMessage},
        {page::fileNew, &SoundPage::fileNew},
        {page::fileOpen, &SoundPage::fileOpen},
        {page::fileSaveAs, &SoundPage::fileSaveAs},
        {page::fileSave, &SoundPage::fileSave},
        {page::fileClose, &SoundPage::fileClose},
        {page::queryNotEmpty, &SoundPage::queryNotEmpty},
        {page::updateTitle, &SoundPage::updateTitle},
        {page::queryFileOpen, &SoundPage::queryFileOpen},
        {page::keepPerformance, &SoundPage::keepPerformance},
        {page::settingsChanged, &SoundPage::settingsChanged},
        {page::viewChanged, &SoundPage::viewChanged},
        {page::tabLeft, &SoundPage::stop},
        {framework::WM_NEXTDLGCTL, &SoundPage::nextControl},
        {startUpPlay, &SoundPage::playOnStart},
    };
    return table;
}

SoundPage::SoundPage(QWidget* parent, const framework::DialogTemplate& dialogTemplate,
                     const controls::HelpPair* helpTable, int helpContext,
                     framework::PageServices& pageServices)
    : TDialog(parent, dialogTemplate),
      ContextHelpWin(this, helpTable, helpContext),
      services(pageServices),
      port(messagePort()),
      capture(pageServices.cursor),
      outputWatch([this] { return engineOutputLost(); }, [this] { outputLost(); },
                  [this] {
                      if (replay && replay->finished()) {
                          stopPlaying();  // the play back reached the play's end
                          repaintButtons();
                          return;
                      }
                      tellDropouts();
                      if (publishesReadouts()) {
                          showReadout();
                      }
                  }) {
    if (parent != nullptr) {
        setWindowFlags(Qt::Widget);
    }
}

SoundPage::~SoundPage() = default;

void SoundPage::shutDown() {
    port->close();
    closing = true;
    outputWatch.stop();
    stopEngine();
}

QWidget* SoundPage::createItem(const framework::DialogItem& entry) {
    if (entry.id != playButtonId && entry.id != stopButtonId) {
        return TDialog::createItem(entry);
    }
    auto* button = new CoolButton(this, entry.id, playButtonId, stopButtonId);
    button->setText(QString::fromUtf8(entry.text));
    forwardClicks(button, entry.id);
    if (entry.id == playButtonId) {
        play = button;
        recording().setPlayButton(button);
    } else {
        stopButton = button;
    }
    return button;
}

void SoundPage::setupWindow() {
    play->setBitmap(5000, 0);
    play->setBitmap(5001, 1);
    stopButton->setBitmap(5002, 0);
    stopButton->setBitmap(5003, 1);
    stopButton->setState(CoolButton::held, true);

    setupControls();

    if (settings::MinimizeOnStart) {
        framework::postMessage(QWidget::window(), framework::WM_SYSCOMMAND, framework::SC_MINIMIZE,
                               0);
    }
    if (settings::PlayOnStart) {
        framework::postMessage(this, startUpPlay);
    }
}

// Only the page on top plays at start-up: the others would sound unseen, out of reach of Space,
// Stop and the stop on losing the focus, which all go to the page on top.
LRESULT SoundPage::playOnStart(WPARAM, LPARAM) {
    if (isVisible()) {
        toggle(0, 0);
    }
    return 0;
}

QString SoundPage::rescueRecording(const QString& folder, const QString& stem) {
    return recording().rescue(folder, stem);
}

QString SoundPage::rescuePerformance(const QString& folder, const QString& stem, bool replace) {
    keepEndedPlay();
    const files::PerformancePage page = performancePage();
    const files::Performance* last = performances().last(page);
    if (last == nullptr || performances().lastKept(page)) {
        return {};
    }
    const QString named =
        stem + QLatin1Char('-') + QString::fromUtf8(files::performancePageName(page));
    const QString name =
        replace ? folder + QLatin1Char('/') + named + QStringLiteral(".performance")
                : framework::freeFileName(folder, named, QStringLiteral("performance"));
    const std::string path = fileSystemName(name);
    if (!platform::replaceFileAtomically(path, files::performanceText(*last))) {
        (void)std::fprintf(stderr, "lirveto: can't keep the last performance in %s: %s\n",
                           path.c_str(), std::generic_category().message(errno).c_str());
        return {};
    }
    performances().markKept(page);
    return name;
}

// Sliders and keys ------------------------------------------------------------------------------

void SoundPage::makeSliders(std::initializer_list<SliderPlace> places, int thumbBitmap) {
    for (const SliderPlace& place : places) {
        TVSlider* made =
            controls::makePageSlider(this, place.id, item(place.frame), place.maximum, thumbBitmap);
        connect(made, &QSlider::valueChanged, this, [moved = place.moved] { moved(); });
        sliders.emplace_back(place.id, made);
    }
}

void SoundPage::makeToneSliders(std::initializer_list<ToneSliderPlace> places, int thumbBitmap,
                                const std::function<void(const controls::ToneSlider&)>& moved) {
    for (const ToneSliderPlace& place : places) {
        const controls::ToneSlider* tone = &place.tone;
        makeSliders({{place.id, place.frame, place.maximum,
                      [this, id = place.id, label = place.valueLabel, tone, moved] {
                          controls::takeToneSetting(*slider(id), *tone, item(label));
                          moved(*tone);
                      }}},
                    thumbBitmap);
        toneSliders.emplace_back(place.id, tone);
    }
}

void SoundPage::placeToneSliders() {
    for (const auto& [id, tone] : toneSliders) {
        if (TVSlider* made = slider(id)) {
            controls::placeToneSlider(*made, *tone);
            emit made->valueChanged(made->value());
        }
    }
}

TVSlider* SoundPage::slider(int id) const {
    for (const auto& [sliderId, made] : sliders) {
        if (sliderId == id) {
            return made;
        }
    }
    return nullptr;
}

void SoundPage::focusSliderOnKey(QKeyCombination key, int sliderId) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    shortcut->setContext(Qt::WindowShortcut);
    if (sliderId == 0) {
        return;
    }
    connect(shortcut, &QShortcut::activated, this, [this, sliderId] {
        framework::postMessage(this, framework::WM_NEXTDLGCTL,
                               reinterpret_cast<WPARAM>(slider(sliderId)), 1);
    });
}

LRESULT SoundPage::nextControl(WPARAM control, LPARAM byWindow) {
    focusDialogControl(control, byWindow);
    return 0;
}

// Playing ---------------------------------------------------------------------------------------

void SoundPage::startPlaying() {
    keepEndedPlay();
    if (!enginePlaying() && recording().prepareToPlay()) {
        forgetStatus();  // the first readout is shown whatever was shown before
        dropouts.playStarted();
        capture.begin(performancePage(),
                      files::performanceStartText(std::chrono::system_clock::now()),
                      carriedFromHz());
        startEngine();
    }
    showPlayState();
}

void SoundPage::stopPlaying() {
    stopEngine();
    endPlayBack();
    keepEndedPlay();
    showPlayState();
}

bool SoundPage::playBack(const files::Performance& performance) {
    if (!performance.page || *performance.page != performancePage()) {
        return false;
    }
    if (recording().isOpen()) {
        services.messageQueue.request(
            {"Close the recording before playing a performance back: what plays back is not "
             "recorded.",
             "Lirveto", platform::MessageBoxStyle::OkExclamation});
        return false;
    }
    stopPlaying();
    settingsBeforePlayBack.clear();
    for (const settings::PlayedSetting& setting : settings::playedSettings()) {
        settingsBeforePlayBack.push_back(setting.value());
    }
    files::applyPerformanceSettings(performance);
    if (performance.fromHz >= 0) {
        carryFrom(performance.fromHz);
    }
    replay = std::make_unique<files::ReadReplay>(performance);
    capture.readFrom(replay.get());
    forgetStatus();
    dropouts.playStarted();
    startEngine();
    if (!enginePlaying()) {
        endPlayBack();
    }
    showPlayState();
    return playingBack();
}

void SoundPage::endPlayBack() {
    if (!replay) {
        return;
    }
    capture.readFrom(nullptr);
    replay.reset();
    const auto played = settings::playedSettings();
    for (std::size_t i = 0; i < played.size() && i < settingsBeforePlayBack.size(); ++i) {
        played[i].apply(settingsBeforePlayBack[i]);
    }
}

void SoundPage::keepEndedPlay() {
    if (capture.capturing() && !enginePlaying()) {
        if (auto ended = capture.finish()) {
            performances().keep(std::move(*ended));
        }
    }
}

files::PerformanceHistory& SoundPage::performances() {
    return services.performances != nullptr ? *services.performances : ownPerformances;
}

LRESULT SoundPage::keepPerformance(WPARAM, LPARAM) {
    keepEndedPlay();
    const files::Performance* last = performances().last(performancePage());
    if (last == nullptr) {
        services.messageBox.show("There is no performance to keep yet: play this page first.",
                                 "Lirveto", platform::MessageBoxStyle::OkExclamation);
        return 0;
    }
    // Only when it is still the newest: a play that ended meanwhile is not kept yet.
    const std::size_t endedBefore = performances().playsEnded();
    if (!pages::keepPerformanceFile(this, services.fileDialogs, services.messageBox, *last,
                                    QStringLiteral("Keep last performance"))) {
        return 0;
    }
    if (performances().playsEnded() == endedBefore) {
        performances().markKept(performancePage());
    }
    return 1;
}

void SoundPage::outputLost() {
    stopPlaying();
    repaintButtons();
    services.messageQueue.request(framework::outputLostBox());
}

void SoundPage::showPlayState() {
    if (closing) {
        return;
    }
    outputWatch.follow(enginePlaying());
    if (showedPlaying && !enginePlaying() && publishesReadouts()) {
        showReadout();  // the last readout of the play
    }
    showedPlaying = enginePlaying();
    if (play == nullptr || stopButton == nullptr) {
        return;
    }
    CoolButton* inForce = enginePlaying() ? play.data() : stopButton.data();
    CoolButton* next = enginePlaying() ? stopButton.data() : play.data();
    inForce->setState(CoolButton::held, true);
    next->setFocus(Qt::OtherFocusReason);
}

void SoundPage::repaintButtons() {
    for (CoolButton* button : {play.data(), stopButton.data()}) {
        if (button != nullptr) {
            button->update();
        }
    }
}

LRESULT SoundPage::cmPlay(WPARAM, LPARAM) {
    startPlaying();
    return 0;
}

LRESULT SoundPage::cmStop(WPARAM, LPARAM) {
    stopPlaying();
    return 0;
}

LRESULT SoundPage::toggle(WPARAM, LPARAM) {
    if (enginePlaying()) {
        stopPlaying();
    } else {
        startPlaying();
    }
    repaintButtons();
    return 0;
}

LRESULT SoundPage::stop(WPARAM, LPARAM) {
    stopPlaying();
    repaintButtons();
    return 0;
}

LRESULT SoundPage::playMessage(WPARAM, LPARAM) {
    startPlaying();
    repaintButtons();
    return 0;
}

// Status ----------------------------------------------------------------------------------------

void SoundPage::publishStatus(const char* text) {
    // Nothing is posted: a step every millisecond must cost the GUI thread nothing.
    statusText.publish(text);
}

void SoundPage::showReadout() {
    // A readout that waits for the dropout notice is taken later: the newest then.
    if (dropouts.readoutMayShow() && statusText.take(readout)) {
        services.status.setStatusText(QString::fromUtf8(readout));
    }
}

void SoundPage::showOwnReadout(const char* text) {
    if (dropouts.readoutMayShow()) {
        services.status.setStatusText(QString::fromUtf8(text));
    }
}

void SoundPage::tellDropouts() {
    if (const std::string notice = dropouts.due(); !notice.empty()) {
        services.status.setStatusText(QString::fromStdString(notice));
    }
}

// Settings and files ----------------------------------------------------------------------------

LRESULT SoundPage::settingsChanged(WPARAM, LPARAM) {
    if (isCreated()) {  // else its set-up takes them
        takeSettings();
    }
    return 0;
}

LRESULT SoundPage::viewChanged(WPARAM, LPARAM) {
    if (isCreated()) {
        retellReadout();
    }
    return 0;
}

LRESULT SoundPage::fileNew(WPARAM, LPARAM) {
    recording().fileNew();
    return 0;
}

LRESULT SoundPage::fileOpen(WPARAM, LPARAM) {
    recording().fileOpen();
    return 0;
}

LRESULT SoundPage::fileSaveAs(WPARAM, LPARAM) {
    return recording().saveAs() ? 1 : 0;
}

LRESULT SoundPage::fileSave(WPARAM, LPARAM) {
    return recording().fileSave() ? 1 : 0;
}

LRESULT SoundPage::fileClose(WPARAM, LPARAM) {
    recording().fileClose();
    return 0;
}

LRESULT SoundPage::queryNotEmpty(WPARAM, LPARAM) {
    return recording().holdsSound() ? 1 : 0;
}

LRESULT SoundPage::queryFileOpen(WPARAM, LPARAM) {
    return recording().isOpen() ? 1 : 0;
}

LRESULT SoundPage::updateTitle(WPARAM, LPARAM) {
    recording().showTitle();
    return 0;
}

}  // namespace pages
