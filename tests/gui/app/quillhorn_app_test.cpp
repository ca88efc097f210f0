#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include "app/quillhorn_app.h"
#include "app/version.h"
#include "fakes.h"
#include "support/qt_application.h"

namespace {

using app::QuillhornApp;
namespace command = app::command;

TEST(WebAddress, HttpsInAnyCaseIsKeptAndAnythingElseIsPrefixed) {
    EXPECT_EQ(QuillhornApp::webAddress("https://a.example/x"), "https://a.example/x");
    EXPECT_EQ(QuillhornApp::webAddress("HtTpS://a.example"), "HtTpS://a.example");
    EXPECT_EQ(QuillhornApp::webAddress("a.example/lirveto.htm"), "https://a.example/lirveto.htm");
    EXPECT_EQ(QuillhornApp::webAddress("http://a.example"), "https://http://a.example");
    EXPECT_EQ(QuillhornApp::webAddress("https:/"), "https://https:/");
    EXPECT_EQ(QuillhornApp::webAddress(""), "https://");
}

struct AppFixture : ::testing::Test {
    testapp::RecordingShell shell;
    testapp::RecordingHelp help;
    QTemporaryDir folder;
    QString program() const { return folder.filePath(QStringLiteral("lirveto")); }
};

TEST_F(AppFixture, TheUpdateAddressCarriesTheVersionTextPercentEncoded) {
    QuillhornApp quill(shell, help, program());
    const std::string host = app::makerHost();
    const std::string bits = sizeof(void*) == 8 ? "64" : "32";
    EXPECT_EQ(quill.updateAddress(),
              "https://" + host + "/update.py?product=Lirveto&version=3.0%20%28" + bits + "bit%29");
    EXPECT_TRUE(QUrl(QString::fromStdString(quill.updateAddress()), QUrl::StrictMode).isValid());
    EXPECT_TRUE(quill.runCommand(command::checkForUpdates));
    EXPECT_TRUE(quill.runCommand(command::productPage));
    EXPECT_TRUE(quill.runCommand(command::makerSite));
    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{quill.updateAddress(), "https://" + host + "/lirveto.htm",
                                        "https://" + host}));
    EXPECT_FALSE(quill.runCommand(12345));
}

TEST_F(AppFixture, WithoutAHelpBundleBothPathsAreEmptyAndHelpShowsNothing) {
    QuillhornApp quill(shell, help, program());
    QString status;
    quill.setStatusText([&](const QString& text) { status = text; });
    EXPECT_EQ(quill.helpFilePath(), "");
    EXPECT_EQ(quill.contextHelpPath(), "");
    quill.runCommand(command::helpContents);
    EXPECT_FALSE(status.isEmpty());
    EXPECT_FALSE(quill.showHelpPopup(110, 0, 0));
}

TEST_F(AppFixture, TheHelpBundleBesideTheProgramGivesThePaths) {
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("help")));
    QFile index(folder.filePath(QStringLiteral("help/index.html")));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.close();
    QuillhornApp quill(shell, help, program());
    const std::string bundle =
        QDir(folder.filePath(QStringLiteral("help"))).canonicalPath().toStdString();
    EXPECT_EQ(quill.helpFilePath(), bundle + "/index.html");
    EXPECT_EQ(quill.contextHelpPath(), bundle + "/CSLirveto.txt");
    quill.runCommand(command::helpContents);
    quill.showHelpContext(330);
    quill.showHelpPopup(105, 1, 2);
    EXPECT_EQ(help.calls, (std::vector<std::string>{"topic " + bundle + "/index.html ",
                                                    "context " + bundle + "/index.html 330",
                                                    "popup " + bundle + "/CSLirveto.txt 105"}));
}

TEST_F(AppFixture, MixersTryTheirProgramsInOrderAndSayWhenNoneIsInstalled) {
    QuillhornApp quill(shell, help, program());
    QString status;
    quill.setStatusText([&](const QString& text) { status = text; });
    quill.runCommand(command::mixerPlay);
    EXPECT_TRUE(shell.started.empty());
    EXPECT_FALSE(status.isEmpty());

    status.clear();
    shell.installed = {"pavucontrol", "alsamixer", "x-terminal-emulator"};
    quill.runCommand(command::mixerPlay);
    quill.runCommand(command::mixerRecord);
    quill.runCommand(command::mixerVolume);
    shell.installed = {"x-terminal-emulator"};  // a terminal without alsamixer is no mixer
    quill.runCommand(command::mixerVolume);
    shell.installed = {"x-terminal-emulator", "alsamixer"};
    quill.runCommand(command::mixerRecord);
    EXPECT_EQ(shell.started,
              (std::vector<std::string>{"pavucontrol -t 1", "pavucontrol -t 2", "pavucontrol -t 3",
                                        "x-terminal-emulator -e alsamixer -V capture"}));
    EXPECT_FALSE(status.isEmpty());
}

TEST_F(AppFixture, ABrowserOrMixerThatCannotBeStartedIsNamedOnTheStatusLine) {
    QuillhornApp quill(shell, help, program());
    QString status;
    quill.setStatusText([&](const QString& text) { status = text; });
    shell.browserStarts = false;
    quill.runCommand(command::checkForUpdates);
    EXPECT_EQ(status, QStringLiteral("No web browser could be started"));
    shell.browserFound = false;
    quill.runCommand(command::makerSite);
    EXPECT_EQ(status, QStringLiteral("No web browser found: install one, or xdg-utils"));
    EXPECT_EQ(shell.opened.size(), 1U) << "nothing is tried without a browser";

    status.clear();
    shell.installed = {"pavucontrol"};
    shell.failsToStart = {"pavucontrol"};
    quill.runCommand(command::mixerPlay);
    EXPECT_EQ(status, QStringLiteral("pavucontrol could not be started"));
}

TEST(Version, TheProgramsBlockAnswersItsKeysUnderTheSwappedTranslation) {
    const app::ProjectRCVersion version;
    EXPECT_EQ(version.translation(), 0x040904E4u);
    const char* name = nullptr;
    const char* number = nullptr;
    ASSERT_TRUE(version.productName(name));
    ASSERT_TRUE(version.productVersion(number));
    EXPECT_STREQ(name, "Lirveto");
    EXPECT_STREQ(number, sizeof(void*) == 8 ? "3.0 (64bit)" : "3.0 (32bit)");

    app::VersionBlock noTranslation = app::programVersionBlock();
    noTranslation.translation.reset();
    const app::ProjectRCVersion broken(&noTranslation);
    EXPECT_FALSE(broken.hasVersionData());
    EXPECT_FALSE(broken.productName(name));
}

}  // namespace
