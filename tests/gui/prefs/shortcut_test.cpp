// The launcher in the user's menu of applications: written as a valid desktop entry that starts
// this program, read back, and removed.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <climits>

#include "gui/prefs/launcher_folder.h"
#include "platform/backends/qt/shortcut.h"
#include "support/run_program.h"

namespace testprefs {
namespace {

using platform::CShortcut;

std::string thisProgram() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

using Shortcut = LauncherFolder;

TEST_F(Shortcut, ALinkToThisProgramIsAValidDesktopEntryThatFindLinkReadsBack) {
    CShortcut shortcut;
    std::string folder;
    ASSERT_TRUE(shortcut.folderPath(CShortcut::quickLaunch, folder));
    EXPECT_EQ(folder, applications().string() + "/");

    ASSERT_TRUE(shortcut.createLink("_THIS", "Lirveto", CShortcut::quickLaunch, "", "", 1));
    ASSERT_TRUE(std::filesystem::exists(launcher()));
    const std::string entry = contents(launcher());
    EXPECT_NE(entry.find("Name=Lirveto\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("Type=Application\n"), std::string::npos);
    EXPECT_NE(entry.find("Exec=" + thisProgram() + "\n"), std::string::npos) << entry;

    const auto validation =
        testing_support::runProgram("/usr/bin/desktop-file-validate", {launcher().string()});
    EXPECT_EQ(validation.status, 0) << validation.out << validation.err;

    std::string target = "untouched";
    std::string description = "untouched";
    EXPECT_EQ(shortcut.findLink("Lirveto", CShortcut::quickLaunch, target, description), 0);
    EXPECT_EQ(target, thisProgram());
    EXPECT_EQ(description, "");

    // A second create overwrites the first file.
    ASSERT_TRUE(shortcut.createLink("_this", "Lirveto", CShortcut::quickLaunch, "Play", "", 1));
    EXPECT_EQ(shortcut.findLink("Lirveto", CShortcut::quickLaunch, target, description), 0);
    EXPECT_EQ(description, "Play");

    EXPECT_TRUE(shortcut.deleteLink("Lirveto", CShortcut::quickLaunch));
    EXPECT_FALSE(std::filesystem::exists(launcher()));
    EXPECT_FALSE(shortcut.deleteLink("Lirveto", CShortcut::quickLaunch));
    EXPECT_FALSE(shortcut.deleteLink("", CShortcut::quickLaunch));
}

TEST_F(Shortcut, ProgramPathsWithSpacesQuotesDollarsBackslashesAndPercentsSurviveTheExecLine) {
    const std::filesystem::path odd = data.path() / "my \"odd\" $dir\\ 100%" / "lirveto";
    std::filesystem::create_directories(odd.parent_path());
    std::ofstream(odd) << "#!/bin/sh\n";
    CShortcut shortcut;
    ASSERT_TRUE(shortcut.createLink(odd.string(), "Odd", CShortcut::quickLaunch, "a\nb", ""));
    const auto validation = testing_support::runProgram(
        "/usr/bin/desktop-file-validate", {(applications() / "Odd.desktop").string()});
    EXPECT_EQ(validation.status, 0) << validation.out << validation.err;
    std::string target;
    std::string description;
    ASSERT_EQ(shortcut.findLink("Odd", CShortcut::quickLaunch, target, description), 0);
    EXPECT_EQ(target, odd.string());
    EXPECT_EQ(description, "a\nb");

    EXPECT_EQ(platform::firstExecArgument("\"/a b/c\" --x"), "/a b/c");
    EXPECT_EQ(platform::firstExecArgument("/usr/bin/tool %f"), "/usr/bin/tool");
    EXPECT_EQ(platform::firstExecArgument("\"/never closed"), "");
}

TEST_F(Shortcut, FindLinkTellsAMissingFolderAMissingLinkAndAnUnusableOneApart) {
    CShortcut shortcut;
    std::string target = "kept";
    std::string description = "kept";
    EXPECT_EQ(shortcut.findLink("Lirveto", 12345, target, description), 1);
    EXPECT_EQ(shortcut.findLink("Lirveto", CShortcut::quickLaunch, target, description), -ENOENT);

    write(launcher(), "[Desktop Entry]\nType=Link\nURL=https://example.org\n");
    EXPECT_LT(shortcut.findLink("Lirveto", CShortcut::quickLaunch, target, description), 0);
    write(launcher(), "[Desktop Entry]\nType=Application\nName=Lirveto\n");
    EXPECT_LT(shortcut.findLink("Lirveto", CShortcut::quickLaunch, target, description), 0);
    write(launcher(), "[Desktop Entry]\nType=Application\nExec=/no/such/lirveto\n");
    EXPECT_EQ(shortcut.findLink("Lirveto", CShortcut::quickLaunch, target, description), -ESTALE);
    // Another group's Exec is not the launcher's.
    write(launcher(), "[Desktop Action x]\nExec=/bin/sh\n[Desktop Entry]\nType=Application\n");
    EXPECT_LT(shortcut.findLink("Lirveto", CShortcut::quickLaunch, target, description), 0);
    EXPECT_EQ(target, "kept");
    EXPECT_EQ(description, "kept");

    EXPECT_FALSE(shortcut.createLink("_this", "Lirveto", 12345, "", ""));
    EXPECT_FALSE(shortcut.deleteLink("Lirveto", 12345));
}

TEST_F(Shortcut, ArgumentsFollowTheProgramOnTheExecLine) {
    CShortcut shortcut;
    shortcut.setArguments("-play");
    ASSERT_TRUE(shortcut.createLink("/bin/sh", "Sh", CShortcut::quickLaunch, "", ""));
    EXPECT_NE(contents(applications() / "Sh.desktop").find("Exec=/bin/sh -play\n"),
              std::string::npos);
    shortcut.setArguments(std::string(400, 'x'));
    EXPECT_EQ(shortcut.arguments().size(), CShortcut::maxArguments);
}

}  // namespace
}  // namespace testprefs
