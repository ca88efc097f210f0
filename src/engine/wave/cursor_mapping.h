#pragma once
// The instrument's mapping: cursor x sets the pitch, cursor y the loudness.

#include <cstdint>

#include "platform/cursor_source.h"

// Hz for a cursor column: 20 Hz at the left edge, `Pitch` kHz + 20 Hz at the right edge.
// Reads settings::Pitch. Thread: any thread.
int32_t frequencyFromCursor(int32_t x, ScreenSize screen);

// Amplitude for a cursor row: `Volume` at the top edge, 0 at the bottom (full scale is 128).
// Reads settings::Volume. Thread: any thread.
int32_t amplitudeFromCursor(int32_t y, ScreenSize screen);
