#pragma once
// --format KIND[:RATE[:BITS[:CHANNELS]]]: the sound file an export writes. A field left out (or
// left empty, as in ogg:44100::2) keeps the render's own value from its settings.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/tone/render_buffer.h"
#include "platform/sound_file_format.h"

struct FormatRequest {
    platform::SoundFileKind kind = platform::SoundFileKind::wav;
    std::optional<int32_t> rate;
    std::optional<platform::SampleDepth> depth;
    std::optional<int32_t> channels;
};

// Reads the value of --format. On failure returns false with `error` set to one line.
bool parseFormatOption(std::string_view text, std::optional<FormatRequest>& request,
                       std::string& error);

// The file format a request comes to, the missing fields taken from the render's `own` output
// format. An opus file is 48000 Hz whatever the render's own rate.
platform::SoundFileFormat resolvedFormat(const FormatRequest& request, engine::OutputFormat own);

// Whether a render for `file` computes 24-bit samples: for a 24-bit or float wav or flac file.
bool rendersTwentyFourBit(const platform::SoundFileFormat& file);

// The output format the engines render at for `file`: its rate and channels, samples of its
// depth for an 8-, 16- or 24-bit file, 24-bit ones for a float file (a float holds them exactly),
// and the render's own resolution for the compressed kinds.
engine::OutputFormat engineFormatFor(const platform::SoundFileFormat& file,
                                     engine::OutputFormat own);
