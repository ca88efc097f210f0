#pragma once
// The program's version block and ProjectRCVersion, which reads its texts.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// A version block: the translation list and the string values by their sub-block names
// ("\StringFileInfo\040904e4\ProductName").
struct VersionBlock {
    // First translation entry as stored: language in the low 16 bits, code page in the high.
    std::optional<std::uint32_t> translation;
    std::map<std::string, std::string, std::less<>> strings;

    // The value under a sub-block name, or null (VerQueryValue).
    const std::string* query(std::string_view subBlock) const;
};

// The block compiled into the program from the project version.
VersionBlock programVersionBlock();

// The product version text, "3.0 (64bit)" on a 64-bit build, "3.0 (32bit)" on a 32-bit one.
std::string productVersionText();

// The maker's web server (a build setting).
std::string makerHost();

class ProjectRCVersion {
  public:
    // Reads the program's own block.
    ProjectRCVersion();
    // Reads a copy of `block`; a null block means no version data.
    explicit ProjectRCVersion(const VersionBlock* block);
    virtual ~ProjectRCVersion() = default;

    bool hasVersionData() const { return data != nullptr; }
    // The language in the high 16 bits and the code page in the low 16 bits.
    std::uint32_t translation() const { return swappedTranslation; }

    // Each gives true and the text inside the block, or false without version data or key.
    bool productName(const char*& text) const { return query("ProductName", text); }
    bool productVersion(const char*& text) const { return query("ProductVersion", text); }
    bool legalCopyright(const char*& text) const { return query("LegalCopyright", text); }
    bool query(std::string_view key, const char*& text) const;

  private:
    static const VersionBlock& programBlock();

    std::unique_ptr<VersionBlock> data;
    std::uint32_t swappedTranslation = 0;
};

}  // namespace app
