#include "app/sound_pages.h"

#include "engine/dsound/dsound_page.h"
#include "engine/midi/midi_page.h"
#include "engine/wave/wave_page.h"

namespace app {

std::vector<std::unique_ptr<QWidget>> makeSoundPages(framework::PageServices& services) {
    std::vector<std::unique_ptr<QWidget>> pages;
    pages.push_back(std::make_unique<TAppDialog>(nullptr, services));
    pages.push_back(std::make_unique<TMidiDialog>(nullptr, services));
    pages.push_back(std::make_unique<TDirectSoundDlg>(nullptr, services));
    return pages;
}

}  // namespace app
