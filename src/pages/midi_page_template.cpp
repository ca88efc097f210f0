#include "pages/midi_page_template.h"

namespace midipage {

namespace {

using framework::DialogItem;
using framework::ItemKind;

// Three slider columns (value on top, the slider's place, its caption), the instrument and bend
// range on the right, the buttons below.
constexpr DialogItem items[] = {
    {105, ItemKind::OwnerDrawButton, "&Play", 30, 84, 50, 16},
    {106, ItemKind::OwnerDrawButton, "&Stop", 89, 84, 50, 16},

    {102, ItemKind::Frame, "&Volume", 18, 20, 9, 38},
    {124, ItemKind::StaticCentered, "&Volume", 3, 64, 39, 9},
    {108, ItemKind::StaticCentered, " ", 5, 5, 35, 8},

    {107, ItemKind::Frame, "&LPitch", 52, 20, 9, 38},
    {125, ItemKind::StaticCentered, "&Low\nPitch", 40, 64, 33, 17},
    {109, ItemKind::StaticCentered, " ", 41, 5, 31, 8},

    {120, ItemKind::Frame, "&HPitch", 86, 20, 9, 38},
    {126, ItemKind::StaticCentered, "&High\nPitch", 74, 64, 33, 17},
    {122, ItemKind::StaticCentered, " ", 75, 5, 31, 8},

    {123, ItemKind::Static, "&Instrument", 110, 8, 55, 9},
    {130, ItemKind::EditComboBox, "ComboBox1", 110, 19, 56, 13},
    {127, ItemKind::Static, "Pitch&Bend", 110, 40, 55, 9},
    {101, ItemKind::Edit, " ", 110, 51, 30, 12},
};

}  // namespace

const framework::DialogTemplate dialogTemplate{dialogId, "Midi", 169, 105, 8, items};

}  // namespace midipage
