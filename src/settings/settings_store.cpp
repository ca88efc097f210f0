#include "settings/settings_store.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/profile.h"
#include "platform/profile_text.h"
#include "platform/registry.h"
#include "settings/general_settings.h"
#include "settings/midi_driver_settings.h"
#include "settings/midi_page_settings.h"
#include "settings/output_settings.h"
#include "settings/playing_settings.h"
#include "settings/settings_section.h"
#include "settings/settings_values.h"
#include "settings/wave_format_settings.h"
#include "settings/wave_page_settings.h"

namespace settings {

namespace {

constexpr const char* viewSection = "Main";
constexpr const char* versionSection = "Version";
constexpr const char* swoopKey = "SwoopMode";
// Kept in the registry only: a settings file describes the instrument, not the screen it is
// played on.
constexpr const char* playSurfaceKey = "PlaySurface";

bool named(const char* iniFile) {
    return iniFile != nullptr && iniFile[0] != '\0';
}

bool sameSectionName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// A vanished or unreadable file, or one that is no settings file, must not replace every setting
// with its defaults.
SettingsFileFault checkSettingsFile(const char* iniFile) {
    std::string text;
    if (platform::readWholeFile(iniFile, text, std::size_t{16} * 1024 * 1024) !=
        platform::FileRead::Ok) {
        return SettingsFileFault::unreadable;
    }
    const auto sections = platform::profile::sectionNames(text);
    const bool versioned = std::any_of(sections.begin(), sections.end(), [](std::string_view name) {
        return sameSectionName(name, versionSection);
    });
    return versioned ? SettingsFileFault::none : SettingsFileFault::notSettingsFile;
}

void readViewFlags(platform::RegistryKey* key, const char* iniFile) {
    const SettingsSection section(key, iniFile, viewSection);
    ViewNoteName = section.readInt("ViewNoteName", 1) != 0 ? 1 : 0;
    ViewNoteMid = section.readInt("ViewNoteMid", 1);
    ViewNoteFreq = section.readInt("ViewNoteFreq", 1) != 0 ? 1 : 0;
    ViewNoteVol = section.readInt("ViewNoteVol", 1) != 0 ? 1 : 0;
    ViewNoteCents = section.readInt("ViewNoteCents", 0) != 0 ? 1 : 0;
}

bool writeViewFlags(platform::RegistryKey* key, const char* iniFile) {
    if (key == nullptr && !named(iniFile)) {
        return true;
    }
    SettingsSection section(key, iniFile, viewSection);
    bool ok = section.writeInt("ViewNoteName", ViewNoteName);
    ok = section.writeInt("ViewNoteMid", ViewNoteMid) && ok;
    ok = section.writeInt("ViewNoteFreq", ViewNoteFreq) && ok;
    // Written once chosen, so that the files of a player who never does stay as they were.
    if (ViewNoteCents != 0 || section.readString("ViewNoteCents", nullptr)) {
        ok = section.writeInt("ViewNoteCents", ViewNoteCents) && ok;
    }
    return section.writeInt("ViewNoteVol", ViewNoteVol) && ok;
}

void readGroups(platform::RegistryKey* key, const char* iniFile) {
    const StoreSelector store{key, iniFile};
    if (store.useIni()) {
        resetMidiDriverForSettingsFile();
    } else {
        readMidiDriverSettings(key);
    }
    readWaveFormatSettings(store);
    readGeneralSettings(store);
    readMidiPageSettings(store);
    readWavePageSettings(store);
    readViewFlags(key, iniFile);
    readPlayingSettings(store);
    readOutputSettings(store);
}

bool writeGroups(platform::RegistryKey* key, const char* iniFile) {
    const StoreSelector store{key, iniFile};
    bool ok = writeMidiDriverSettings(key);
    ok = writeWaveFormatSettings(store) && ok;
    ok = writeGeneralSettings(store) && ok;
    ok = writeMidiPageSettings(store) && ok;
    ok = writeWavePageSettings(store) && ok;
    ok = writeViewFlags(key, iniFile) && ok;
    ok = writePlayingSettings(store) && ok;
    return writeOutputSettings(store) && ok;
}

void reportRegistryFailure(platform::MessageBox& messages, int reason) {
    std::string text = "Can't save the settings";
    if (const auto path = platform::registryFilePath()) {
        text += " to " + *path;
    }
    if (reason != 0) {
        text += ": ";
        text += std::strerror(reason);  // NOLINT(concurrency-mt-unsafe): GUI thread
    }
    messages.show(text + ".", "Lirveto", platform::MessageBoxStyle::Ok);
}

}  // namespace

bool loadSettings(const char* iniFileOrNull, SettingsFileFault* fault) {
    if (fault != nullptr) {
        *fault = SettingsFileFault::none;
    }
    if (named(iniFileOrNull)) {
        const SettingsFileFault found = checkSettingsFile(iniFileOrNull);
        if (found != SettingsFileFault::none) {
            if (fault != nullptr) {
                *fault = found;
            }
            return false;
        }
        readGroups(nullptr, iniFileOrNull);
        return true;
    }
    const auto key = platform::RegistryKey::openForReading();
    if (key) {
        SwoopMode = readRegistryByte(*key, swoopKey).value_or(0) != 0 ? 1 : 0;
        PlaySurface = readRegistryByte(*key, playSurfaceKey).value_or(0) != 0;
    } else {
        SwoopMode = 0;
        PlaySurface = false;
    }
    readGroups(key.get(), nullptr);
    return true;
}

std::string settingsFileFaultText(SettingsFileFault fault, std::string_view fileName,
                                  int systemError) {
    const std::string name(fileName);
    switch (fault) {
        case SettingsFileFault::none:
            break;
        case SettingsFileFault::unreadable:
            return "Can't read the settings file " + name +
                   (systemError != 0 ? ": " + std::generic_category().message(systemError) : "") +
                   ".";
        case SettingsFileFault::notSettingsFile:
            return name + " is not a settings file: it has no [Version] section";
    }
    return {};
}

bool saveSettings(const char* iniFileOrNull, platform::MessageBox& messages) {
    if (named(iniFileOrNull)) {
        bool ok =
            platform::writePrivateProfileString(versionSection, "Version", "1.0", iniFileOrNull);
        ok = writeIniInt(iniFileOrNull, swoopKey, SwoopMode != 0 ? 1 : 0) && ok;
        return writeGroups(nullptr, iniFileOrNull) && ok;
    }
    errno = 0;
    const auto key = platform::RegistryKey::createForWriting();
    if (!key) {
        reportRegistryFailure(messages, errno);
        return false;
    }
    bool ok = writeRegistryByte(*key, swoopKey, SwoopMode != 0 ? 1 : 0);
    ok = writeRegistryByte(*key, playSurfaceKey, PlaySurface ? 1 : 0) && ok;
    ok = writeGroups(key.get(), nullptr) && ok;
    errno = 0;
    if (key->close() != platform::RegResult::Success) {
        reportRegistryFailure(messages, errno);
        return false;
    }
    return ok;
}

}  // namespace settings
