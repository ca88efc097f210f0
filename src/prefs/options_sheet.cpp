#include "prefs/options_sheet.h"

#include "prefs/set_app.h"
#include "prefs/set_midi.h"
#include "prefs/set_output.h"
#include "prefs/set_playing.h"
#include "prefs/set_wave.h"

namespace prefs {

std::unique_ptr<framework::TPropertySheet> makeOptionsSheet(QWidget* parent,
                                                            const OptionsServices& services) {
    auto sheet = std::make_unique<framework::TPropertySheet>(parent, QStringLiteral("Options"));
    sheet->addPage(new TSetApp(services.setTopmost));
    sheet->addPage(new TSetWave(services.waveOut));
    sheet->addPage(new TSetMidi(services.midiOut, services.fileDialogs));
    sheet->addPage(new TSetPlaying());
    sheet->addPage(new TSetOutput(services.listOutputDevices));
    sheet->setCurrentPage(0);
    return sheet;
}

}  // namespace prefs
