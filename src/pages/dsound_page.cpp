#include "pages/dsound_page.h"

#include <algorithm>
#include <cstdint>

#include "controls/help_tables.h"
#include "controls/tone_sliders.h"
#include "engine/dsound/stream_state.h"
#include "pages/dsound_page_template.h"
#include "platform/mmtimer.h"
#include "settings/settings_values.h"

namespace pages {

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

DirectSoundPage::DirectSoundPage(QWidget* parent, framework::PageServices& pageServices)
    : SamplePage(parent, dsoundpage::dialogTemplate, controls::helptables::directSoundPage,
                 controls::helptables::directSoundPageContext, pageServices),
      waveOut(pageServices.makeWaveOut()),
      library(makeLibrary(pageServices)) {
    auto made = std::make_unique<engine::DirectSoundEngine>(
        *waveOut, *library, timerOf(pageServices), capture, pageServices.messageBox,
        static_cast<engine::DirectSoundEngineHost&>(*this));
    std::mutex* fileLock = &made->recordingLock();
    useEngine(std::move(made), fileLock);
}

DirectSoundPage::~DirectSoundPage() {
    shutDown();
    releaseEngine();
}

int64_t DirectSoundPage::carriedFromHz() const {
    return engine::streamState().lastFrequency.load(std::memory_order_relaxed);
}

// Only while stopped: the steps own the stream's state while it plays.
void DirectSoundPage::carryFrom(int64_t hz) {
    engine::streamState().lastFrequency.store(
        static_cast<int32_t>(std::min<int64_t>(hz, INT32_MAX)), std::memory_order_relaxed);
}

void DirectSoundPage::setupControls() {
    makeToneSliders({{dsoundpage::volumeSlider, dsoundpage::volumeFrame, dsoundpage::volumeValue,
                      100, controls::volumeTone},
                     {dsoundpage::pitchSlider, dsoundpage::pitchFrame, dsoundpage::pitchValue, 10,
                      controls::pitchTone},
                     {dsoundpage::timbreSlider, dsoundpage::timbreFrame, dsoundpage::timbreValue,
                      10, controls::timbreTone}},
                    dsoundpage::thumbBitmap, [this](const controls::ToneSlider& tone) {
                        if (&tone == &controls::timbreTone) {
                            engine->rebuildWaveTable(settings::Timbre);
                        }
                    });
    settings::Pitch = std::min(settings::Pitch.load(), 10);
    settings::Timbre = std::min(settings::Timbre.load(), 10);
    // The handlers run too, so that the value labels show the settings from the start.
    placeToneSliders();

    engine->setScreen(services.cursor.primaryScreenSize());

    // Alt+T reaches the pitch slider. Alt+B, the Wave page's vibrato key, is taken here and does
    // nothing: this page has no vibrato.
    focusSliderOnKey(Qt::ALT | Qt::Key_T, dsoundpage::pitchSlider);
    focusSliderOnKey(Qt::ALT | Qt::Key_B, 0);
}

void DirectSoundPage::requestMessage(const char* text, const char* caption) {
    // The engine asks once per cause and play; the queue shows it when no other box is open.
    services.messageQueue.request({text, caption, platform::MessageBoxStyle::Ok,
                                   std::string("DirectSound step: ") + text, false});
}

}  // namespace pages
