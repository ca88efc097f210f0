#pragma once
// How long a render may be: a WAV file's chunk sizes are 32-bit, so its data ends before 4 GiB.

#include <cstdint>
#include <string>
#include <string_view>

// The longest duration whose recording fits a WAV file at `bytesPerSecond`, counting the
// headers and the buffers the engine queues past the end.
int64_t longestWaveRenderMs(int64_t bytesPerSecond);

// `text` in single quotes, cut to its first 80 characters (and "...") and with control bytes
// shown as '?', so that one error line stays one readable line whatever the input held.
std::string quotedForMessage(std::string_view text);
