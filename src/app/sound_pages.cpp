#include "app/sound_pages.h"

#include "engine/wave/wave_page.h"

namespace app {

std::vector<std::unique_ptr<QWidget>> makeSoundPages(framework::PageServices& services) {
    std::vector<std::unique_ptr<QWidget>> pages;
    pages.push_back(std::make_unique<TAppDialog>(nullptr, services));
    // The Midi page, then the DirectSound page, join here.
    return pages;
}

}  // namespace app
