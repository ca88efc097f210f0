#include "pages/wave_page.h"

#include <QCoreApplication>
#include <algorithm>

#include "controls/help_tables.h"
#include "controls/tone_sliders.h"
#include "controls/tv_slider.h"
#include "pages/wave_page_template.h"
#include "settings/settings_values.h"

namespace pages {

using framework::LPARAM;
using framework::LRESULT;
using framework::Response;
using framework::WPARAM;

std::span<const Response<WavePage>> WavePage::responseTable() {
    static constexpr Response<WavePage> table[] = {
        {framework::MM_WOM_DONE, &WavePage::waveDone},
        {framework::page::restart, &WavePage::restart},
    };
    return table;
}

WavePage::WavePage(QWidget* parent, framework::PageServices& pageServices)
    : SamplePage(parent, wavepage::dialogTemplate, controls::helptables::wavePage,
                 controls::helptables::wavePageContext, pageServices),
      waveOut(pageServices.makeWaveOut()) {
    useEngine(std::make_unique<engine::WaveEngine>(*waveOut, capture, pageServices.messageQueue,
                                                   static_cast<engine::WaveEngineHost&>(*this)),
              nullptr);
}

WavePage::~WavePage() {
    shutDown();
    releaseEngine();
}

void WavePage::setupControls() {
    makeToneSliders({{wavepage::volumeSlider, wavepage::volumeFrame, wavepage::volumeValue, 100,
                      controls::volumeTone},
                     {wavepage::pitchSlider, wavepage::pitchFrame, wavepage::pitchValue, 10,
                      controls::pitchTone},
                     {wavepage::vibratoSlider, wavepage::vibratoFrame, wavepage::vibratoValue, 3,
                      controls::vibratoTone},
                     {wavepage::timbreSlider, wavepage::timbreFrame, wavepage::timbreValue, 10,
                      controls::timbreTone}},
                    wavepage::thumbBitmap, [this](const controls::ToneSlider& tone) {
                        if (&tone == &controls::timbreTone) {
                            engine->rebuildWaveTable(settings::Timbre);
                        }
                    });
    settings::Pitch = std::min(settings::Pitch.load(), 10);
    settings::Vibrato = std::min(settings::Vibrato.load(), 3);
    settings::Timbre = std::min(settings::Timbre.load(), 10);
    // The handlers run too, so that the value labels show the settings from the start.
    placeToneSliders();

    engine->setScreen(services.cursor.primaryScreenSize());

    // Alt+T and Alt+B reach the sliders whose captions carry those letters.
    focusSliderOnKey(Qt::ALT | Qt::Key_T, wavepage::pitchSlider);
    focusSliderOnKey(Qt::ALT | Qt::Key_B, wavepage::vibratoSlider);
}

void WavePage::takeSettings() {
    placeToneSliders();
    engine->refreshReadout();  // a settings file may hold other View flags
}

void WavePage::retellReadout() {
    engine->refreshReadout();
}

// Playing ---------------------------------------------------------------------------------------

LRESULT WavePage::waveDone(WPARAM session, LPARAM header) {
    engine->onBufferDone(reinterpret_cast<platform::WaveHeader*>(header),
                         static_cast<uint32_t>(session));
    return 0;
}

LRESULT WavePage::restart(WPARAM, LPARAM) {
    engine->onRestart();
    showPlayState();
    return 0;
}

void WavePage::postBufferDone(platform::WaveHeader* header, uint32_t playSession) noexcept {
    try {
        port->post(framework::MM_WOM_DONE, playSession, reinterpret_cast<LPARAM>(header));
    } catch (...) {
        // Out of memory for the event: this buffer is not queued again. Nothing brings it back;
        // the other buffer plays on until the user stops, and the next play starts both afresh.
    }
}

void WavePage::postRestart() {
    framework::postMessage(this, framework::page::restart);
}

void WavePage::postToggle() {
    framework::postMessage(this, framework::page::toggle);
}

void WavePage::showStatus(const char* text) {
    showOwnReadout(text);
}

void WavePage::pumpWaitingMessages() {
    QCoreApplication::processEvents();
}

}  // namespace pages
