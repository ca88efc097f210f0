#pragma once
// Loading and saving every settings group, from and to the registry key or a settings INI file.
// GUI thread only (the values themselves may be read anywhere).

#include <string>
#include <string_view>

#include "platform/message_box.h"

namespace settings {

// Why a named settings file was not loaded.
enum class SettingsFileFault {
    none,
    unreadable,
    // No "Version" section, which every saved settings file begins with: an empty or unrelated
    // file, which would otherwise set every value to its INI default.
    notSettingsFile,
};

// With a null or empty name, reads the registry key (a missing key leaves every value at its
// first-start default). Otherwise reads the named INI file: the MIDI driver returns to "-1" and
// the patch offset to 1, the SoundFont and the output device stay, and every value the file lacks
// or holds out of range takes its INI default. Returns false, changing nothing, when the named file
// cannot be read or is no settings file; `fault`, when given, then says which.
bool loadSettings(const char* iniFileOrNull, SettingsFileFault* fault = nullptr);

// One line for the user on why `fileName` was not loaded; `systemError`, the errno the failed
// read left (0: none), gives the system's reason for an unreadable file.
std::string settingsFileFaultText(SettingsFileFault fault, std::string_view fileName,
                                  int systemError = 0);

// With a null or empty name, writes the registry key; when it cannot be created, `messages`
// shows "Can't save the settings to FILE: REASON.", and nothing reaches the registry.
// Otherwise writes every group into the named INI file, keeping its other lines; the MIDI driver
// values and the output device are never written there. Returns whether every value reached its
// store.
bool saveSettings(const char* iniFileOrNull, platform::MessageBox& messages);

}  // namespace settings
