#pragma once
// Which help text explains each control of the pages, and each window's help topic number.

#include <cstdint>

namespace controls {

// A table entry (control id, help id); help id 0 means the control id itself. Tables end with a
// pair whose control id is 0.
struct HelpPair {
    std::uint32_t controlId;
    std::uint32_t helpId;
};

namespace helptables {

extern const HelpPair wavePage[];
extern const HelpPair directSoundPage[];
extern const HelpPair midiPage[];
extern const HelpPair generalPrefs[];
extern const HelpPair wavePrefs[];
extern const HelpPair midiPrefs[];
extern const HelpPair playingPrefs[];
extern const HelpPair outputPrefs[];

inline constexpr int wavePageContext = 2;
inline constexpr int directSoundPageContext = 16;
inline constexpr int midiPageContext = 15;
inline constexpr int generalPrefsContext = 3;
inline constexpr int wavePrefsContext = 330;
inline constexpr int midiPrefsContext = 400;
inline constexpr int playingPrefsContext = 500;
inline constexpr int outputPrefsContext = 600;

}  // namespace helptables
}  // namespace controls
