#include "pages/wave_page_template.h"

namespace wavepage {

namespace {

using framework::DialogItem;
using framework::ItemKind;

// Four columns, one per slider: value on top, the slider's place, its caption; the buttons below.
constexpr DialogItem items[] = {
    {105, ItemKind::OwnerDrawButton, "&Play", 30, 82, 50, 16},
    {106, ItemKind::OwnerDrawButton, "&Stop", 89, 82, 50, 16},

    {102, ItemKind::Frame, "&Volume", 20, 20, 9, 40},
    {108, ItemKind::StaticCentered, " ", 7, 5, 35, 8},
    {124, ItemKind::StaticCentered, "&Volume", 5, 67, 39, 9},

    {107, ItemKind::Frame, "Pi&tch", 60, 20, 9, 40},
    {109, ItemKind::StaticCentered, "", 47, 5, 35, 8},
    {125, ItemKind::StaticCentered, "Pi&tch", 45, 67, 39, 9},

    {118, ItemKind::Frame, "Vi&brato", 100, 20, 9, 40},
    {117, ItemKind::StaticCentered, "", 87, 5, 35, 8},
    {129, ItemKind::StaticCentered, "Vi&brato", 85, 67, 39, 9},

    {114, ItemKind::Frame, "&Timbre", 140, 20, 9, 40},
    {113, ItemKind::StaticCentered, "", 127, 5, 35, 8},
    {128, ItemKind::StaticCentered, "&Timbre", 125, 67, 39, 9},
};

}  // namespace

const framework::DialogTemplate dialogTemplate{dialogId, "Wave", 169, 105, 8, items};

}  // namespace wavepage
