#include "app/version.h"

#include <cstdio>

#include "app/version_config.h"

namespace app {

namespace {

#if defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 8
constexpr const char* buildBits = "64";
#elif defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 4
constexpr const char* buildBits = "32";
#else
#error "unknown pointer width"
#endif

// U.S. English, code page 1252, stored with the language first (low half).
constexpr std::uint32_t storedTranslation = 0x04E40409;

}  // namespace

std::string productVersionText() {
    return std::string(LIRVETO_VERSION_SHORT) + " (" + buildBits + "bit)";
}

std::string makerHost() {
    return LIRVETO_MAKER_HOST;
}

const std::string* VersionBlock::query(std::string_view subBlock) const {
    const auto found = strings.find(subBlock);
    return found != strings.end() ? &found->second : nullptr;
}

VersionBlock programVersionBlock() {
    VersionBlock block;
    block.translation = storedTranslation;
    const std::string prefix = "\\StringFileInfo\\040904e4\\";
    const std::string version = productVersionText();
    const std::pair<const char*, std::string> values[] = {
        {"ProductName", "Lirveto"},
        {"ProductVersion", version},
        {"FileVersion", version},
        {"FileDescription", "Lirveto for Linux"},
        {"InternalName", "Lirveto"},
        {"OriginalFilename", "lirveto"},
        {"LegalCopyright",
         "Copyright \xC2\xA9 Quillhorn\n"
         "Free to use and to share unchanged.\n"
         "Comes without warranty of any kind."},
        {"LegalTrademarks", "Linux\xC2\xAE is the registered trademark of Linus Torvalds"},
    };
    for (const auto& [key, value] : values) {
        block.strings.emplace(prefix + key, value);
    }
    return block;
}

ProjectRCVersion::ProjectRCVersion() : ProjectRCVersion(&programBlock()) {}

const VersionBlock& ProjectRCVersion::programBlock() {
    static const VersionBlock block = programVersionBlock();
    return block;
}

ProjectRCVersion::ProjectRCVersion(const VersionBlock* block) {
    if (block == nullptr || !block->translation) {
        return;
    }
    data = std::make_unique<VersionBlock>(*block);
    const std::uint32_t stored = *block->translation;
    swappedTranslation = (stored << 16) | (stored >> 16);
}

bool ProjectRCVersion::query(std::string_view key, const char*& text) const {
    if (data == nullptr) {
        return false;
    }
    char name[64];
    (void)std::snprintf(name, sizeof name, "\\StringFileInfo\\%08x\\", swappedTranslation);
    const std::string* value = data->query(std::string(name) + std::string(key));
    if (value == nullptr) {
        return false;
    }
    text = value->c_str();
    return true;
}

}  // namespace app
