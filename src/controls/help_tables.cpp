#include "controls/help_tables.h"

namespace controls::helptables {

// On a sound page the slider, its frame, its value and its caption all explain the same thing.
const HelpPair wavePage[] = {
    {110, 110}, {108, 110}, {124, 110}, {102, 110},  // volume
    {111, 111}, {107, 111}, {109, 111}, {125, 111},  // pitch
    {119, 119}, {118, 119}, {117, 119}, {129, 119},  // vibrato
    {112, 112}, {113, 112}, {128, 112}, {114, 112},  // timbre
    {105, 105}, {106, 106},                          // play, stop
    {0, 0},
};

// The same as the Wave page; the vibrato entries find no control there.
const HelpPair directSoundPage[] = {
    {110, 110}, {108, 110}, {124, 110}, {102, 110},  //
    {111, 111}, {107, 111}, {109, 111}, {125, 111},  //
    {119, 119}, {118, 119}, {117, 119}, {129, 119},  //
    {112, 112}, {113, 112}, {128, 112}, {114, 112},  //
    {105, 105}, {106, 106},                          //
    {0, 0},
};

// The low pitch (left edge) is text 121, the high pitch (right edge) shares text 111 with the
// Wave page's pitch range.
const HelpPair midiPage[] = {
    {110, 110}, {124, 110}, {108, 110}, {102, 110},  // volume
    {111, 121}, {125, 121}, {109, 121}, {107, 121},  // low pitch
    {120, 111}, {121, 111}, {126, 111}, {122, 111},  // high pitch
    {105, 105}, {106, 106},                          // play, stop
    {130, 130}, {123, 130},                          // instrument
    {101, 101}, {127, 101},                          // pitch bend range
    {0, 0},
};

const HelpPair generalPrefs[] = {
    {302, 302}, {300, 300}, {313, 313}, {314, 314}, {315, 25}, {2322, 2322}, {0, 0},
};

const HelpPair wavePrefs[] = {
    {301, 0},  {303, 0}, {305, 0}, {306, 0}, {309, 30},
    {310, 31}, {307, 0}, {304, 0}, {308, 0}, {0, 0},
};

const HelpPair midiPrefs[] = {
    {402, 402}, {405, 402}, {401, 401}, {406, 406}, {407, 406}, {408, 408}, {0, 0},
};

// A label explains the field it names; the groups explain themselves.
const HelpPair playingPrefs[] = {
    {501, 501}, {502, 502}, {503, 503}, {504, 505}, {505, 505}, {506, 505}, {507, 505},
    {508, 509}, {509, 509}, {510, 511}, {511, 511}, {512, 513}, {513, 513}, {514, 515},
    {515, 515}, {516, 517}, {517, 517}, {518, 520}, {519, 520}, {520, 520}, {523, 524},
    {524, 524}, {525, 526}, {526, 526}, {527, 528}, {528, 528}, {0, 0},
};

const HelpPair outputPrefs[] = {
    {601, 602}, {602, 602}, {603, 604}, {604, 604}, {605, 604}, {0, 0},
};

}  // namespace controls::helptables
