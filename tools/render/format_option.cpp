#include "format_option.h"

#include <array>
#include <utility>
#include <vector>

#include "message_text.h"
#include "option_fields.h"

namespace {

using platform::SampleDepth;
using platform::SoundFileKind;

constexpr int32_t kOpusRate = 48000;
constexpr int32_t kLargestMp3Rate = 48000;

constexpr std::array<std::pair<std::string_view, SoundFileKind>, 5> kKinds{{
    {"wav", SoundFileKind::wav},
    {"flac", SoundFileKind::flac},
    {"ogg", SoundFileKind::ogg},
    {"opus", SoundFileKind::opus},
    {"mp3", SoundFileKind::mp3},
}};

constexpr std::array<std::pair<std::string_view, int32_t>, 4> kRates{{
    {"22050", 22050},
    {"44100", 44100},
    {"48000", 48000},
    {"96000", 96000},
}};

constexpr std::array<std::pair<std::string_view, SampleDepth>, 4> kDepths{{
    {"8", SampleDepth::bits8},
    {"16", SampleDepth::bits16},
    {"24", SampleDepth::bits24},
    {"float", SampleDepth::floating},
}};

constexpr std::array<std::pair<std::string_view, int32_t>, 2> kChannels{{{"1", 1}, {"2", 2}}};

// The value named by `field` in `table`; nothing for an empty field. False for another name.
template <typename Value, size_t Size>
bool lookUp(std::string_view field,
            const std::array<std::pair<std::string_view, Value>, Size>& table,
            std::optional<Value>& value) {
    if (field.empty()) {
        return true;
    }
    for (const auto& [name, named] : table) {
        if (name == field) {
            value = named;
            return true;
        }
    }
    return false;
}

bool refuse(std::string& error, std::string text) {
    error = std::move(text);
    return false;
}

}  // namespace

bool parseFormatOption(std::string_view text, std::optional<FormatRequest>& request,
                       std::string& error) {
    std::vector<std::string_view> fields = colonFields(text);
    const std::string given = " (--format " + quotedForMessage(text) + ")";
    if (fields.size() > 4) {
        return refuse(error, "--format wants KIND[:RATE[:BITS[:CHANNELS]]]" + given);
    }
    fields.resize(4);
    std::optional<SoundFileKind> kind;
    FormatRequest wanted;
    if (fields[0].empty() || !lookUp(fields[0], kKinds, kind)) {
        return refuse(error, "--format wants a kind of file: wav, flac, ogg, opus or mp3" + given);
    }
    wanted.kind = *kind;
    if (!lookUp(fields[1], kRates, wanted.rate)) {
        return refuse(error, "--format wants a rate of 22050, 44100, 48000 or 96000" + given);
    }
    if (!lookUp(fields[2], kDepths, wanted.depth)) {
        return refuse(error, "--format wants bits of 8, 16, 24 or float" + given);
    }
    if (!lookUp(fields[3], kChannels, wanted.channels)) {
        return refuse(error, "--format wants 1 or 2 channels" + given);
    }
    const std::string kindName(fields[0]);
    if (wanted.depth && !platform::hasSampleDepth(wanted.kind)) {
        return refuse(error, kindName + " files have no bit depth: leave BITS empty, as in " +
                                 kindName + ":44100::2" + given);
    }
    if (wanted.kind == SoundFileKind::flac && wanted.depth == SampleDepth::floating) {
        return refuse(error, "flac files hold 8, 16 or 24 bits, not float" + given);
    }
    if (wanted.kind == SoundFileKind::opus && wanted.rate && *wanted.rate != kOpusRate) {
        return refuse(error, "opus files are 48000 Hz only" + given);
    }
    if (wanted.kind == SoundFileKind::mp3 && wanted.rate && *wanted.rate > kLargestMp3Rate) {
        return refuse(error, "mp3 files go up to 48000 Hz" + given);
    }
    request = wanted;
    return true;
}

platform::SoundFileFormat resolvedFormat(const FormatRequest& request, engine::OutputFormat own) {
    platform::SoundFileFormat file;
    file.kind = request.kind;
    const int32_t ownRate = request.kind == SoundFileKind::opus ? kOpusRate : own.rate();
    file.rate = request.rate.value_or(ownRate);
    file.depth = request.depth.value_or(own.sixteenBit ? SampleDepth::bits16 : SampleDepth::bits8);
    file.channels = request.channels.value_or(own.stereo ? 2 : 1);
    return file;
}

bool rendersTwentyFourBit(const platform::SoundFileFormat& file) {
    return platform::hasSampleDepth(file.kind) &&
           (file.depth == SampleDepth::bits24 || file.depth == SampleDepth::floating);
}

engine::OutputFormat engineFormatFor(const platform::SoundFileFormat& file,
                                     engine::OutputFormat own) {
    engine::OutputFormat format;
    format.stereo = file.channels == 2;
    format.sixteenBit =
        platform::hasSampleDepth(file.kind) ? file.depth != SampleDepth::bits8 : own.sixteenBit;
    format.twentyFourBit = rendersTwentyFourBit(file);
    format.highRate = file.rate == 44100;
    format.exportRate = file.rate == 22050 || file.rate == 44100 ? 0 : file.rate;
    return format;
}
