#pragma once
// The playing aids on lirveto-render's command line, each replacing what the settings file says:
//   --layout hertz | semitones:LOW:HIGH          (MIDI notes 0..127, LOW below HIGH)
//   --correction off | SCALE:ROOT[:STRENGTH[:RATE]]  (percent 0..100, ms 0..2000;
//                                                 defaults 100 and 80)
//   --glide classic | MS                         (0..5000)
//   --concert-pitch HZ                           (A4, 400.0..480.0, at most one decimal)
//   --loudness designed | db:RANGE               (RANGE 10..60 dB)
// Names as the settings files spell them (playing_names.h).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/tone/loudness_curve.h"
#include "engine/tone/pitch_correction.h"
#include "engine/tone/pitch_layout.h"

struct PlayingOptions {
    std::optional<engine::CursorLayoutSetup> layout;
    std::optional<engine::CorrectionSetup> correction;
    std::optional<int32_t> glide;
    std::optional<int32_t> concertPitch;  // tenths of a hertz
    std::optional<engine::LoudnessSetup> loudness;
};

// Each takes the option's value; on failure returns false and sets `error` to one line.
bool parseLayoutOption(std::string_view value, PlayingOptions& options, std::string& error);
bool parseCorrectionOption(std::string_view value, PlayingOptions& options, std::string& error);
bool parseGlideOption(std::string_view value, PlayingOptions& options, std::string& error);
bool parseConcertPitchOption(std::string_view value, PlayingOptions& options, std::string& error);
bool parseLoudnessOption(std::string_view value, PlayingOptions& options, std::string& error);

// Puts the given aids into the process-wide settings (after the settings file is read).
void applyPlayingOptions(const PlayingOptions& options);
