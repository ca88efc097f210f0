#pragma once
// What an exported sound file is: its kind, rate, sample depth and channels.
//
// Thread: any thread.

#include <cstdint>

namespace platform {

enum class SoundFileKind { wav, flac, ogg, opus, mp3 };

enum class SampleDepth { bits8, bits16, bits24, floating };

struct SoundFileFormat {
    SoundFileKind kind = SoundFileKind::wav;
    int32_t rate = 22050;                     // frames per second
    SampleDepth depth = SampleDepth::bits16;  // unused by the compressed kinds (ogg, opus, mp3)
    int32_t channels = 1;
};

// Whether samples of the kind have a depth of their own (wav and flac).
constexpr bool hasSampleDepth(SoundFileKind kind) {
    return kind == SoundFileKind::wav || kind == SoundFileKind::flac;
}

}  // namespace platform
