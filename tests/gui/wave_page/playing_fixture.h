#pragma once
// The page playing for real: the wave output over a device on a manual clock, its notifications
// coming back as window messages through the page's own message queue.

// Before any Qt header: the output's queue has a member named like Qt's "slots" keyword.
#include "platform/waveout/virtual_audio_device.h"
#include "platform/waveout/wave_out.h"

#include "page_fixture.h"

namespace wavepagetest {

class WavePagePlayingTest : public WavePageTest {
  protected:
    WavePagePlayingTest() {
        makeWaveOut = [this] {
            return std::make_unique<platform::WaveOut>(platform::WaveOut::postDuringPull, [this] {
                auto made = std::make_unique<platform::VirtualAudioDevice>();
                made->keepPulled(true);
                device = made.get();
                return made;
            });
        };
        cursor.position = {300, 0};  // loudest at the top
        settings::Volume = 100;
    }
    ~WavePagePlayingTest() override {
        messages.answer = platform::MessageBoxResult::IDNO;
        if (page != nullptr) {
            page->canClose();
        }
    }

    // Lets `ms` of sound play, a tenth of a second at a time, the page answering in between.
    void playFor(int ms) {
        for (int done = 0; done < ms; done += 100) {
            device->advanceFrames(2205);
            pump();
        }
    }

    platform::VirtualAudioDevice* device = nullptr;
};

}  // namespace wavepagetest
