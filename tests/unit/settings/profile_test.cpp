#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <string>

#include "settings_test_env.h"

namespace {

using settings_test::readFile;
using settings_test::writeFile;

class ProfileTest : public settings_test::SettingsEnvironment {
  protected:
    std::string ini() const { return (root / "test.ini").string(); }

    std::string get(const char* section, const char* key, const char* def = "DEF",
                    uint32_t size = 260) {
        std::string buffer(size, '\x7f');
        const uint32_t n = platform::getPrivateProfileString(section, key, def, buffer.data(), size,
                                                             ini().c_str());
        EXPECT_EQ(buffer[n], '\0');
        return buffer.substr(0, n);
    }

    uint32_t getInt(const char* key, int32_t def = -7) {
        return platform::getPrivateProfileInt("S", key, def, ini().c_str());
    }
};

TEST_F(ProfileTest, FindsValuesAsTheWindowsFunctionsDo) {
    writeFile(ini(),
              "orphan=before any section\n"
              "[Other]\nkey=other\n"
              "  [ setup ]  \n"
              "; Key=commented out\n"
              "  Key  =  first value  \n"
              "KEY=second\n"
              "quoted=\"  kept blanks  \"\n"
              "single='x'\n"
              "mixed='x\"\n"
              "lonely\"=\"\n"
              "empty=\n"
              "[SETUP]\n"
              "later=in a second section of the same name\n");
    EXPECT_EQ(get("Setup", "key"), "first value");
    EXPECT_EQ(get("Setup", "quoted"), "  kept blanks  ");
    EXPECT_EQ(get("Setup", "single"), "x");
    EXPECT_EQ(get("Setup", "mixed"), "'x\"") << "quotes are taken off in pairs only";
    EXPECT_EQ(get("Setup", "lonely\""), "\"");
    EXPECT_EQ(get("Setup", "empty"), "");
    EXPECT_EQ(get("Setup", "later"), "DEF") << "only the first section of a name is searched";
    EXPECT_EQ(get("Setup", "orphan"), "DEF");
    EXPECT_EQ(get("Nowhere", "key", "default  "), "default") << "trailing blanks of a default go";
    EXPECT_EQ(get("Setup", "missing", nullptr), "");
    EXPECT_EQ(get("Setup", "key", "", 6), "first") << "cut to size - 1, result size - 1";
}

TEST_F(ProfileTest, MissingFileGivesDefaults) {
    EXPECT_EQ(get("Setup", "key", "fallback"), "fallback");
    EXPECT_EQ(platform::getPrivateProfileInt("Setup", "key", 42, ini().c_str()), 42U);
}

TEST_F(ProfileTest, ReadsIntegersByTheIntegerRules) {
    writeFile(ini(),
              "[S]\nplain=42\ntrailing=  17abc\nnegative=-5\nplus=+8\nhex=0x1F\nwords=abc\n"
              "empty=\nquoted=\"12\"\nlong=000000000000000000000000000005\n"
              "wraps=4294967297\n");
    EXPECT_EQ(getInt("plain"), 42U);
    EXPECT_EQ(getInt("trailing"), 17U);
    EXPECT_EQ(static_cast<int32_t>(getInt("negative")), -5);
    EXPECT_EQ(getInt("plus"), 8U);
    EXPECT_EQ(getInt("hex"), 31U);
    EXPECT_EQ(getInt("words"), 0U);
    EXPECT_EQ(static_cast<int32_t>(getInt("empty")), -7) << "an empty value gives the default";
    EXPECT_EQ(getInt("quoted"), 12U);
    EXPECT_EQ(getInt("long"), 0U) << "only the first 29 characters are read";
    EXPECT_EQ(getInt("wraps"), 1U);
    EXPECT_EQ(static_cast<int32_t>(getInt("absent")), -7);
}

TEST_F(ProfileTest, ListsSectionsAndKeysWithDoubleTerminators) {
    writeFile(ini(), "[One]\na=1\nb=2\n[Two]\n");
    char buffer[32];
    uint32_t n = platform::getPrivateProfileString(nullptr, nullptr, "", buffer, sizeof buffer,
                                                   ini().c_str());
    EXPECT_EQ(std::string(buffer, n + 1), std::string("One\0Two\0\0", 9));
    n = platform::getPrivateProfileString("one", nullptr, "", buffer, sizeof buffer, ini().c_str());
    EXPECT_EQ(std::string(buffer, n + 1), std::string("a\0b\0\0", 5));
    n = platform::getPrivateProfileString(nullptr, nullptr, "", buffer, 6, ini().c_str());
    EXPECT_EQ(n, 4U);
    EXPECT_EQ(std::string(buffer, 6), std::string("One\0\0\0", 6));
}

TEST_F(ProfileTest, WritingChangesOnlyTheLineConcerned) {
    const std::string original =
        "; settings kept by hand\r\n"
        "[Setup]\r\n"
        "  volume = 10   ; odd spacing\r\n"
        "other=keep\r\n"
        "; end of setup\r\n"
        "\r\n"
        "[Main]\r\n"
        "x=1";
    writeFile(ini(), original);
    ASSERT_TRUE(platform::writePrivateProfileString("SETUP", "Volume", "20", ini().c_str()));
    ASSERT_TRUE(platform::writePrivateProfileString("Setup", "Added", "new", ini().c_str()));
    ASSERT_TRUE(platform::writePrivateProfileString("Main", "y", "2", ini().c_str()));
    ASSERT_TRUE(platform::writePrivateProfileString("Fresh", "z", "3", ini().c_str()));
    EXPECT_EQ(readFile(ini()),
              "; settings kept by hand\r\n"
              "[Setup]\r\n"
              "volume=20\r\n"
              "other=keep\r\n"
              "; end of setup\r\n"
              "Added=new\r\n"
              "\r\n"
              "[Main]\r\n"
              "x=1\r\n"
              "y=2\r\n"
              "\r\n"
              "[Fresh]\r\n"
              "z=3\r\n");

    ASSERT_TRUE(platform::writePrivateProfileString("setup", "OTHER", nullptr, ini().c_str()));
    ASSERT_TRUE(platform::writePrivateProfileString("main", nullptr, nullptr, ini().c_str()));
    EXPECT_EQ(readFile(ini()),
              "; settings kept by hand\r\n"
              "[Setup]\r\n"
              "volume=20\r\n"
              "; end of setup\r\n"
              "Added=new\r\n"
              "\r\n"
              "[Fresh]\r\n"
              "z=3\r\n");
}

TEST_F(ProfileTest, RefusesWritesThatWouldChangeOtherLines) {
    writeFile(ini(), "[S]\na=1\n");
    EXPECT_FALSE(platform::writePrivateProfileString("S", "a", "1\n[Evil]\nb=2", ini().c_str()));
    EXPECT_FALSE(platform::writePrivateProfileString("S", "k=v", "x", ini().c_str()));
    EXPECT_FALSE(platform::writePrivateProfileString("S]x", "k", "x", ini().c_str()));
    EXPECT_FALSE(platform::writePrivateProfileString("S", "[k", "x", ini().c_str()));
    EXPECT_FALSE(platform::writePrivateProfileString("S", ";k", "x", ini().c_str()));
    EXPECT_FALSE(platform::writePrivateProfileString(nullptr, "k", "x", ini().c_str()));
    EXPECT_EQ(readFile(ini()), "[S]\na=1\n");
}

TEST_F(ProfileTest, CreatesAMissingFileButNotAMissingFolder) {
    ASSERT_TRUE(platform::writePrivateProfileString("S", "k", "v", ini().c_str()));
    EXPECT_EQ(readFile(ini()), "[S]\nk=v\n");
    const std::string inMissingFolder = (root / "no" / "such.ini").string();
    EXPECT_FALSE(platform::writePrivateProfileString("S", "k", "v", inMissingFolder.c_str()));
}

TEST_F(ProfileTest, WritesThroughASymbolicLink) {
    writeFile(root / "real.ini", "[S]\nk=old\n");
    std::filesystem::create_symlink(root / "real.ini", ini());
    ASSERT_TRUE(platform::writePrivateProfileString("S", "k", "new", ini().c_str()));
    EXPECT_TRUE(std::filesystem::is_symlink(ini()));
    EXPECT_EQ(readFile(root / "real.ini"), "[S]\nk=new\n");
}

// Root ignores file modes, so the size limit is what makes the write fail here.
TEST_F(ProfileTest, FailedWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
    const std::string original = "[S]\nk=" + std::string(100, 'a') + "\n";
    writeFile(ini(), original);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 50;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written =
        platform::writePrivateProfileString("S", "k", std::string(100, 'b').c_str(), ini().c_str());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(readFile(ini()), original);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(root)) {
        ++entries;
    }
    EXPECT_EQ(entries, 1) << "the temporary file was not removed";
}

}  // namespace
