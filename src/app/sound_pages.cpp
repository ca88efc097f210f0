#include "app/sound_pages.h"

#include "pages/dsound_page.h"
#include "pages/midi_page.h"
#include "pages/wave_page.h"

namespace app {

std::vector<std::unique_ptr<QWidget>> makeSoundPages(framework::PageServices& services) {
    std::vector<std::unique_ptr<QWidget>> made;
    made.push_back(std::make_unique<pages::WavePage>(nullptr, services));
    made.push_back(std::make_unique<pages::MidiPage>(nullptr, services));
    made.push_back(std::make_unique<pages::DirectSoundPage>(nullptr, services));
    return made;
}

}  // namespace app
