#include "platform/registry.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "settings_test_env.h"

namespace {

using platform::RegistryKey;
using platform::RegResult;
using settings_test::readFile;
using settings_test::writeFile;

class RegistryTest : public settings_test::SettingsEnvironment {
  protected:
    static std::string query(const RegistryKey& key, const char* name, uint32_t* type = nullptr) {
        char buffer[300] = {};
        uint32_t size = sizeof buffer;
        if (key.queryValue(name, type, buffer, &size) != RegResult::Success) {
            return "<failed>";
        }
        return std::string(buffer, size);
    }

    // Runs `write` with regular files limited to `bytes`; root ignores file modes, not this.
    template <typename Write>
    static auto withFileSizeLimit(rlim_t bytes, Write write) {
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
        auto result = write();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        return result;
    }
};

TEST_F(RegistryTest, KeyIsMissingUntilCreatedThenHoldsTypedValuesInReadableText) {
    EXPECT_EQ(RegistryKey::openForReading(), nullptr);
    {
        auto key = RegistryKey::createForWriting();
        ASSERT_NE(key, nullptr);
        const uint8_t volume = 0x32;
        EXPECT_EQ(key->setValue("Volume", platform::REG_BINARY, &volume, 1), RegResult::Success);
        EXPECT_EQ(key->setValue("SampleRate", platform::REG_SZ, "22kHz", 6), RegResult::Success);
        EXPECT_EQ(key->setValue("Path", platform::REG_SZ, "C:\\a \"b\"", 9), RegResult::Success);
        EXPECT_EQ(key->close(), RegResult::Success);
    }
    EXPECT_EQ(readFile(registryFile()),
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quillhorn\\Lirveto]\n"
              "\"Volume\"=hex:32\n"
              "\"SampleRate\"=\"22kHz\"\n"
              "\"Path\"=\"C:\\\\a \\\"b\\\"\"\n");

    auto key = RegistryKey::openForReading();
    ASSERT_NE(key, nullptr);
    uint32_t type = 0;
    EXPECT_EQ(query(*key, "volume", &type), "\x32");
    EXPECT_EQ(type, platform::REG_BINARY);
    EXPECT_EQ(query(*key, "SampleRate", &type), std::string("22kHz", 6));
    EXPECT_EQ(type, platform::REG_SZ);
    EXPECT_EQ(query(*key, "Path"), std::string("C:\\a \"b\"", 9));
    EXPECT_EQ(query(*key, "Missing"), "<failed>");

    uint8_t byte = 0;
    uint32_t size = 1;
    EXPECT_EQ(key->queryValue("SampleRate", nullptr, &byte, &size), RegResult::MoreData);
    EXPECT_EQ(size, 6U);
    EXPECT_EQ(key->setValue("Volume", platform::REG_BINARY, &byte, 1), RegResult::Failed)
        << "a key opened for reading cannot be written";
}

TEST_F(RegistryTest, ReadsAHandEditedFile) {
    std::filesystem::create_directories(registryFile().parent_path());
    writeFile(registryFile(), "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Quillhorn\\Other]\r\n");
    EXPECT_EQ(RegistryKey::openForReading(), nullptr) << "a file without our key has no values";
    writeFile(registryFile(),
              "\xEF\xBB\xBFREGEDIT4\r\n"
              "; edited by hand\r\n"
              "[HKEY_CURRENT_USER\\Software\\Quillhorn\\Other]\r\n"
              "\"Volume\"=hex:01\r\n"
              "[hkey_current_user\\software\\quillhorn\\lirveto]\r\n"
              "\"Volume\" = hex:10\r\n"
              "\"VOLUME\"=hex:20\r\n"
              "\"Long\"=hex:01,02,\\\r\n"
              "   03,04\r\n"
              "\"Count\"=dword:0000012c\r\n"
              "\"Expand\"=hex(2):41,00\r\n"
              "\"Gone\"=\"x\"\r\n"
              "\"Gone\"=-\r\n"
              "\"Wide\"=hex:100\r\n"
              "\"Trailing\"=\"x\" y\r\n"
              "\"Typed\"=hex(0):\r\n"
              "@=\"default\"\r\n");
    auto key = RegistryKey::openForReading();
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(query(*key, "Volume"), "\x20") << "the later line wins; other keys are skipped";
    EXPECT_EQ(query(*key, "Long"), "\x01\x02\x03\x04");
    EXPECT_EQ(query(*key, "Count"), std::string("\x2c\x01\x00\x00", 4));
    uint32_t type = 0;
    EXPECT_EQ(query(*key, "Expand", &type), std::string("A\0", 2));
    EXPECT_EQ(type, 2U);
    EXPECT_EQ(query(*key, "Gone"), "<failed>");
    EXPECT_EQ(query(*key, "Wide"), "<failed>") << "a byte of three digits is damaged data";
    EXPECT_EQ(query(*key, "Trailing"), "<failed>");
    EXPECT_EQ(query(*key, "Typed", &type), "") << "an empty value of type 0 is no removal";
    EXPECT_EQ(query(*key, nullptr), std::string("default", 8));
}

TEST_F(RegistryTest, AnyValueSurvivesTheTextForm) {
    const std::string control("line\nbreak\0", 11);
    const std::string unterminated("no zero");
    const std::string big(200, '\x7f');
    {
        auto key = RegistryKey::createForWriting();
        ASSERT_NE(key, nullptr);
        key->setValue("Control", platform::REG_SZ, control.data(), 11);
        key->setValue("Unterminated", platform::REG_SZ, unterminated.data(), 7);
        key->setValue("Big", platform::REG_BINARY, big.data(), 200);
        key->setValue("Empty", platform::REG_BINARY, nullptr, 0);
        EXPECT_EQ(key->setValue("Bad\nName", platform::REG_SZ, "x", 2), RegResult::Failed);
    }
    const std::string text = readFile(registryFile());
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1) {
        EXPECT_LE(end - start, 80U) << "long values are wrapped for a reader";
    }
    auto key = RegistryKey::openForReading();
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(query(*key, "Control"), control);
    EXPECT_EQ(query(*key, "Unterminated"), unterminated);
    EXPECT_EQ(query(*key, "Big"), big);
    EXPECT_EQ(query(*key, "Empty"), "");
}

TEST_F(RegistryTest, DamagedFileIsKeptAsideAndReadsAsMissing) {
    std::filesystem::create_directories(registryFile().parent_path());
    const std::string first =
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Quillhorn\\Lirveto]\n"
        "Volume=hex:10\n";
    writeFile(registryFile(), first);
    testing::internal::CaptureStderr();
    EXPECT_EQ(RegistryKey::openForReading(), nullptr);
    const std::string warning = testing::internal::GetCapturedStderr();
    EXPECT_NE(warning.find("damaged"), std::string::npos);
    EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 1);
    EXPECT_FALSE(std::filesystem::exists(registryFile()));
    const auto aside = registryFile().string() + ".damaged";
    EXPECT_EQ(readFile(aside), first);

    // A second damaged file does not replace the first one kept aside.
    writeFile(registryFile(), std::string("\0\x01\xff binary", 10));
    testing::internal::CaptureStderr();
    auto key = RegistryKey::createForWriting();
    testing::internal::GetCapturedStderr();
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(readFile(aside), first);
    EXPECT_EQ(readFile(aside + ".2"), std::string("\0\x01\xff binary", 10));
}

TEST_F(RegistryTest, AtMostThreeDamagedCopiesAreKeptTheOldestGoingFirst) {
    std::filesystem::create_directories(registryFile().parent_path());
    const auto aside = registryFile().string() + ".damaged";
    for (int n = 1; n <= 5; ++n) {
        writeFile(registryFile(), "damaged " + std::to_string(n));
        testing::internal::CaptureStderr();
        EXPECT_EQ(RegistryKey::openForReading(), nullptr);
        testing::internal::GetCapturedStderr();
        // Distinct times, so that "oldest" does not depend on the file system's resolution.
        const auto when =
            std::filesystem::file_time_type::clock::now() + std::chrono::seconds(n - 10);
        for (const std::string& name : {aside, aside + ".2", aside + ".3"}) {
            if (std::filesystem::exists(name) && readFile(name) == "damaged " + std::to_string(n)) {
                std::filesystem::last_write_time(name, when);
            }
        }
    }
    std::vector<std::string> kept;
    for (const auto& entry : std::filesystem::directory_iterator(registryFile().parent_path())) {
        kept.push_back(readFile(entry.path()));
    }
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{"damaged 3", "damaged 4", "damaged 5"}));
}

TEST_F(RegistryTest, FolderThatCannotBeWrittenFailsTheCreate) {
    std::filesystem::create_directories(registryFile().parent_path().parent_path());
    writeFile(registryFile().parent_path(), "a file where the folder should be");
    EXPECT_EQ(RegistryKey::createForWriting(), nullptr);
    EXPECT_EQ(RegistryKey::openForReading(), nullptr);
}

TEST_F(RegistryTest, FailedWritesLeaveThePreviousFileWhole) {
    writeRegistry("\"Volume\"=hex:32\n");
    const std::string before = readFile(registryFile());

    EXPECT_EQ(withFileSizeLimit(10, [] { return RegistryKey::createForWriting(); }), nullptr);
    EXPECT_EQ(readFile(registryFile()), before);

    auto key = RegistryKey::createForWriting();
    ASSERT_NE(key, nullptr);
    const std::string big(500, 'x');
    key->setValue("Big", platform::REG_SZ, big.c_str(), 501);
    EXPECT_EQ(withFileSizeLimit(before.size() + 100, [&] { return key->close(); }),
              RegResult::Failed);
    EXPECT_EQ(readFile(registryFile()), before);
}

TEST_F(RegistryTest, LocationFollowsTheEnvironment) {
    EXPECT_EQ(platform::registryFilePath(), registryFile().string());
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    ::setenv("HOME", "/home/someone", 1);
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(platform::registryFilePath(), "/home/someone/.config/Quillhorn/Lirveto.reg");
    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ(platform::registryFilePath(), "/home/someone/.config/Quillhorn/Lirveto.reg");
    ::setenv("HOME", home.c_str(), 1);
}

}  // namespace
