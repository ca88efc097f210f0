#include "pages/dsound_page_template.h"

namespace dsoundpage {

namespace {

using framework::DialogItem;
using framework::ItemKind;

// Three columns, one per slider: value on top, the slider's place, its caption; the buttons below.
constexpr DialogItem items[] = {
    {105, ItemKind::OwnerDrawButton, "&Play", 34, 79, 50, 15},
    {106, ItemKind::OwnerDrawButton, "&Stop", 85, 79, 50, 15},

    {124, ItemKind::StaticCentered, "&Volume", 33, 60, 29, 10},
    {102, ItemKind::Frame, "&Volume", 43, 20, 9, 32},
    {108, ItemKind::StaticCentered, " ", 37, 6, 18, 8},

    {109, ItemKind::StaticCentered, "", 75, 6, 20, 8},
    {107, ItemKind::Frame, "Pi&tch", 81, 20, 9, 32},
    {125, ItemKind::StaticCentered, "Pi&tch", 71, 60, 27, 10},

    {114, ItemKind::Frame, "&Timbre", 117, 20, 9, 32},
    {128, ItemKind::StaticCentered, "&Timbre", 109, 60, 27, 10},
    {113, ItemKind::StaticCentered, "", 113, 6, 20, 8},
};

}  // namespace

const framework::DialogTemplate dialogTemplate{dialogId, "DirectSound", 169, 105, 8, items};

}  // namespace dsoundpage
