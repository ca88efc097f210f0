#pragma once
// The command line of lirveto-render.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/tone/cursor_mapping.h"
#include "format_option.h"
#include "playing_options.h"

struct RenderOptions {
    std::string engine;  // "wave", "dsound" or "midi"
    std::string gesturePath;
    std::string performancePath;  // instead of a gesture; its page is the default engine
    std::string outPath;
    std::string settingsPath;  // empty: the settings of a first start
    platform::ScreenSize screen{1920, 1080};
    bool screenGiven = false;             // else a performance's own screen
    std::optional<int64_t> durationMs;    // default: the gesture's last time
    PlayingOptions playing;               // each replaces what the settings say
    std::optional<FormatRequest> format;  // none: what a recording would hold (WAV or MIDI)
    std::string soundFontPath;            // a midi export's SoundFont; empty: the default one
    bool helpWanted = false;
    bool versionWanted = false;
};

inline constexpr const char* kRenderUsage =
    "usage: lirveto-render --engine wave|dsound|midi --gesture FILE --out FILE\n"
    "       lirveto-render [--engine wave|dsound|midi] --performance FILE --out FILE\n"
    "                      [--settings FILE.ini] [--screen WIDTHxHEIGHT] [--duration MS]\n"
    "                      [--layout hertz|semitones:LOW:HIGH]\n"
    "                      [--correction off|SCALE:ROOT[:STRENGTH[:RATE]]] [--glide classic|MS]\n"
    "                      [--concert-pitch HZ] [--loudness designed|db:RANGE]\n"
    "                      [--format KIND[:RATE[:BITS[:CHANNELS]]]] [--soundfont FILE.sf2]\n"
    "       lirveto-render --help | --version\n"
    "--out - writes to standard output.\n"
    "--format exports a render as KIND wav, flac, ogg, opus or mp3, at RATE 22050, 44100, 48000\n"
    "  or 96000, BITS 8, 16, 24 or float (wav; flac without float; none for the others) and\n"
    "  CHANNELS 1 or 2. An empty or missing field keeps the settings' own value (midi: 44100 Hz,\n"
    "  16 bits, stereo); opus is 48000 Hz only, mp3 at most 48000 Hz. The engines run at that\n"
    "  rate and depth: 24-bit files hold their products whole, float files the same samples\n"
    "  exactly. A midi export plays the engine's messages on the built-in General MIDI synth\n"
    "  and keeps 1 s after the end for the last note's release.\n"
    "--soundfont names the synth's SoundFont for a midi export (default: the system's General\n"
    "  MIDI one).\n";

// Parses the arguments after the program name. On failure returns nothing and sets `error` to
// one line saying what is wrong.
std::optional<RenderOptions> parseRenderOptions(int argc, const char* const* argv,
                                                std::string& error);
