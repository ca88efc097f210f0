#pragma once
// The settings that shape what a page sounds like while it plays, each under its settings file
// key and spelt as the settings file spells it ("44kHz", "semitones", "classic" ...). A kept
// performance holds them as they were at Play and as they changed during the play.
//
// Thread: value() on any thread (atomic loads, no allocation); the rest GUI thread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace settings {

struct PlayedSetting {
    const char* key;
    int32_t (*value)();                                      // the current value as a number
    std::string (*text)(int32_t value);                      // that number as the file spells it
    std::optional<int32_t> (*parse)(std::string_view text);  // back; nothing when out of range
    void (*apply)(int32_t value);
};

std::span<const PlayedSetting> playedSettings();

// The index of `key` in playedSettings() (case-insensitive), nothing for any other key.
std::optional<std::size_t> playedSettingIndex(std::string_view key);

}  // namespace settings
