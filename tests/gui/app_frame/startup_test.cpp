// Start-up: the command line and the one-instance rule.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstring>
#include <vector>

#include "app/command_line.h"
#include "app/single_instance.h"
#include "support/qt_application.h"

namespace {

using app::CommandLine;

CommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "lirveto");
    return app::parseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, OnlyATwoCharacterPSwitchAsFirstArgumentSetsTheSwitch) {
    for (const char* form : {"/p", "-p", "/P", "-P"}) {
        const CommandLine line = parse({form});
        EXPECT_EQ(line.action, CommandLine::Action::run) << form;
        EXPECT_TRUE(line.startSwitch) << form;
    }
    EXPECT_FALSE(parse({}).startSwitch);
    for (const char* other : {"/play", "-pp", "p", "/q", "--p"}) {
        const CommandLine line = parse({other});
        EXPECT_FALSE(line.startSwitch) << other;
        EXPECT_EQ(line.action, CommandLine::Action::run) << other;
    }
    EXPECT_FALSE(parse({"-style", "-p"}).startSwitch);
}

TEST(CommandLine, HelpAndVersionWinAndOtherArgumentsAreLeftToQt) {
    EXPECT_EQ(parse({"--help"}).action, CommandLine::Action::help);
    EXPECT_EQ(parse({"-p", "-h"}).action, CommandLine::Action::help);
    EXPECT_EQ(parse({"--version"}).action, CommandLine::Action::version);
    EXPECT_EQ(parse({"--frobnicate", "--help"}).action, CommandLine::Action::help);
    const CommandLine qtOptions = parse({"-p", "-platform", "offscreen", "-style", "fusion", "x"});
    EXPECT_EQ(qtOptions.action, CommandLine::Action::run);
    EXPECT_TRUE(qtOptions.startSwitch);
    EXPECT_NE(app::usageText().find("--version"), std::string::npos);
    EXPECT_EQ(app::versionText().rfind("Lirveto 3.0", 0), 0u);
}

class SingleInstanceTest : public ::testing::Test {
  protected:
    QTemporaryDir folder;
    QString path() const { return folder.filePath("lirveto.socket"); }
};

TEST_F(SingleInstanceTest, ALaterStartFindsTheFirstAndAsksItToComeForward) {
    app::SingleInstance first(path());
    int activations = 0;
    ASSERT_TRUE(first.listen([&activations] { ++activations; }));

    app::SingleInstance second(path());
    // Both ends share this thread, so the first can answer only after the wait: keep it short.
    EXPECT_TRUE(second.askRunningInstance(100));
    for (int i = 0; i < 50 && activations == 0; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(activations, 1);
}

TEST_F(SingleInstanceTest, NoOneListeningMeansThisIsTheFirstEvenWithAStaleSocket) {
    app::SingleInstance alone(path());
    EXPECT_FALSE(alone.askRunningInstance(100));

    // A socket file left behind by a run that crashed.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = path().toLocal8Bit();
    std::strncpy(address.sun_path, name.constData(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);

    app::SingleInstance next(path());
    EXPECT_FALSE(next.askRunningInstance(100));
    EXPECT_TRUE(next.listen([] {}));
    app::SingleInstance third(path());
    EXPECT_TRUE(third.askRunningInstance(100));
}

TEST(SingleInstancePath, IsPerUserAndInTheRuntimeFolder) {
    const QString path = app::SingleInstance::defaultSocketPath();
    EXPECT_TRUE(path.endsWith("lirveto-" + QString::number(::getuid()) + ".socket"));
}

}  // namespace
