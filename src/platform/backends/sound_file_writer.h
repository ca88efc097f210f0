#pragma once
// Sound files of any kind, rate and depth, written through libsndfile: how an offline render is
// exported. The recordings the pages make while playing stay our own RIFF code.
//
// Thread: any thread but audio. Nothing is kept between calls.

#include <string>

#include "platform/sound_file_format.h"

namespace platform {

// Writes the samples of the WAV file `wavePath` (8-, 16- or 24-bit PCM at the rate and channels
// of `format`) as a `format` sound file where a write to `outPath` goes (platform/write_target.h):
// a regular file or a new name is replaced by a file made beside it and renamed over it, a
// symbolic link's target is replaced, a FIFO, a device or "-" is written directly. A depth at
// least the take's, float included, holds its samples exactly (a float file at full scale 1).
// On failure nothing is left at `outPath` (an existing file is untouched) and `reason` says why
// in a few words (e.g. "No space left on device").
bool writeSoundFile(const std::string& wavePath, const std::string& outPath,
                    const SoundFileFormat& format, std::string& reason);

}  // namespace platform
