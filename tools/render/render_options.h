#pragma once
// The command line of lirveto-render.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/tone/cursor_mapping.h"
#include "playing_options.h"

struct RenderOptions {
    std::string engine;  // "wave", "dsound" or "midi"
    std::string gesturePath;
    std::string performancePath;  // instead of a gesture; its page is the default engine
    std::string outPath;
    std::string settingsPath;  // empty: the settings of a first start
    platform::ScreenSize screen{1920, 1080};
    bool screenGiven = false;           // else a performance's own screen
    std::optional<int64_t> durationMs;  // default: the gesture's last time
    PlayingOptions playing;             // each replaces what the settings say
    bool helpWanted = false;
    bool versionWanted = false;
};

inline constexpr const char* kRenderUsage =
    "usage: lirveto-render --engine wave|dsound|midi --gesture FILE --out FILE\n"
    "       lirveto-render [--engine wave|dsound|midi] --performance FILE --out FILE\n"
    "                      [--settings FILE.ini] [--screen WIDTHxHEIGHT] [--duration MS]\n"
    "                      [--layout hertz|semitones:LOW:HIGH]\n"
    "                      [--correction off|SCALE:ROOT[:STRENGTH[:RATE]]] [--glide classic|MS]\n"
    "       lirveto-render --help | --version\n"
    "--out - writes to standard output.\n";

// Parses the arguments after the program name. On failure returns nothing and sets `error` to
// one line saying what is wrong.
std::optional<RenderOptions> parseRenderOptions(int argc, const char* const* argv,
                                                std::string& error);
