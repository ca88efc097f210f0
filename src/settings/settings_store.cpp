#include "settings/settings_store.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "platform/atomic_file.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "settings/general_settings.h"
#include "settings/midi_driver_settings.h"
#include "settings/midi_page_settings.h"
#include "settings/playing_settings.h"
#include "settings/settings_section.h"
#include "settings/settings_values.h"
#include "settings/wave_format_settings.h"
#include "settings/wave_page_settings.h"

namespace settings {

namespace {

constexpr const char* viewSection = "Main";
constexpr const char* swoopKey = "SwoopMode";
// Kept in the registry only: a settings file describes the instrument, not the screen it is
// played on.
constexpr const char* playSurfaceKey = "PlaySurface";

bool named(const char* iniFile) {
    return iniFile != nullptr && iniFile[0] != '\0';
}

// Confirms that the file exists and can be read, so that a vanished or unreadable settings
// file does not replace every setting with its defaults.
bool readable(const char* iniFile) {
    std::string ignored;
    return platform::readWholeFile(iniFile, ignored, std::size_t{16} * 1024 * 1024) ==
           platform::FileRead::Ok;
}

void readViewFlags(platform::RegistryKey* key, const char* iniFile) {
    const SettingsSection section(key, iniFile, viewSection);
    ViewNoteName = section.readInt("ViewNoteName", 1) != 0 ? 1 : 0;
    ViewNoteMid = section.readInt("ViewNoteMid", 1);
    ViewNoteFreq = section.readInt("ViewNoteFreq", 1) != 0 ? 1 : 0;
    ViewNoteVol = section.readInt("ViewNoteVol", 1) != 0 ? 1 : 0;
}

bool writeViewFlags(platform::RegistryKey* key, const char* iniFile) {
    if (key == nullptr && !named(iniFile)) {
        return true;
    }
    SettingsSection section(key, iniFile, viewSection);
    bool ok = section.writeInt("ViewNoteName", ViewNoteName);
    ok = section.writeInt("ViewNoteMid", ViewNoteMid) && ok;
    ok = section.writeInt("ViewNoteFreq", ViewNoteFreq) && ok;
    return section.writeInt("ViewNoteVol", ViewNoteVol) && ok;
}

void readGroups(platform::RegistryKey* key, const char* iniFile) {
    const StoreSelector store{key, iniFile};
    readMidiDriverSettings(key);
    readWaveFormatSettings(store);
    readGeneralSettings(store);
    readMidiPageSettings(store);
    readWavePageSettings(store);
    readViewFlags(key, iniFile);
    readPlayingSettings(store);
}

bool writeGroups(platform::RegistryKey* key, const char* iniFile) {
    const StoreSelector store{key, iniFile};
    bool ok = writeMidiDriverSettings(key);
    ok = writeWaveFormatSettings(store) && ok;
    ok = writeGeneralSettings(store) && ok;
    ok = writeMidiPageSettings(store) && ok;
    ok = writeWavePageSettings(store) && ok;
    ok = writeViewFlags(key, iniFile) && ok;
    return writePlayingSettings(store) && ok;
}

// The system's reason, when there is one, goes on a second line.
void reportRegistryFailure(platform::MessageBox& messages, int reason) {
    std::string text = "can't register key";
    if (reason != 0) {
        text += "\n";
        text += std::strerror(reason);  // NOLINT(concurrency-mt-unsafe): GUI thread
    }
    messages.show(text, "savesettings", platform::MessageBoxStyle::Ok);
}

}  // namespace

bool loadSettings(const char* iniFileOrNull) {
    if (named(iniFileOrNull)) {
        if (!readable(iniFileOrNull)) {
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

bool saveSettings(const char* iniFileOrNull, platform::MessageBox& messages) {
    if (named(iniFileOrNull)) {
        bool ok = platform::writePrivateProfileString("Version", "Version", "1.0", iniFileOrNull);
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
