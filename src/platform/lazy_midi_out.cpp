#include "platform/lazy_midi_out.h"

#include "platform/midiout.h"

namespace platform {

MidiOutApi& LazyMidiOut::output() {
    if (made == nullptr) {
        if (maker) {
            made = maker();
        }
        if (made == nullptr) {
            static FixedMidiOutDevices none{{}};
            made = std::make_unique<MidiOut>(none);
        }
        maker = nullptr;  // what it holds is not needed again
    }
    return *made;
}

}  // namespace platform
