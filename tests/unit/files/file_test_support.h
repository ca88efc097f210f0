#pragma once
// A private temporary folder per test (TMPDIR points at it, so temporary recordings land there)
// and byte builders for expected file contents.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"

namespace files_test {

using Bytes = std::vector<uint8_t>;

inline Bytes readBytes(const std::filesystem::path& name) {
    std::ifstream in(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::filesystem::path& name, const Bytes& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline void append(Bytes& to, const char* text) {
    to.insert(to.end(), text, text + std::char_traits<char>::length(text));
}
inline void append(Bytes& to, std::initializer_list<uint8_t> bytes) {
    to.insert(to.end(), bytes);
}
inline void append(Bytes& to, const Bytes& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}
inline void appendLe16(Bytes& to, uint16_t v) {
    append(to, {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)});
}
inline void appendLe32(Bytes& to, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        to.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}
inline void appendBe32(Bytes& to, uint32_t v) {
    for (int i = 3; i >= 0; --i) {
        to.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}
inline uint32_t le32At(const Bytes& bytes, size_t at) {
    return static_cast<uint32_t>(bytes.at(at)) | static_cast<uint32_t>(bytes.at(at + 1)) << 8 |
           static_cast<uint32_t>(bytes.at(at + 2)) << 16 |
           static_cast<uint32_t>(bytes.at(at + 3)) << 24;
}

// Every test gets an empty folder as its temporary folder and checks what is left in it.
class TempFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(ownFolder.create("lirveto-files"));
        folder = ownFolder.path();
        tmpdir.set(folder.string());
    }
    void TearDown() override {
        tmpdir.restore();
        ownFolder.remove();
    }

    std::vector<std::string> filesInFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }
    std::string pathOf(const std::string& name) const { return (folder / name).string(); }

    std::filesystem::path folder;

  private:
    testing_support::TemporaryFolder ownFolder;
    testing_support::ScopedEnvironmentVariable tmpdir{"TMPDIR"};
};

}  // namespace files_test
