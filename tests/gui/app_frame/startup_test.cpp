// Start-up: the command line and the one-instance rule.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstring>
#include <vector>

#include "app/command_line.h"
#include "app/single_instance.h"
#include "platform/instance_lock.h"
#include "platform/runtime_folder.h"
#include "support/qt_application.h"
#include "support/scoped_environment_variable.h"

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
        EXPECT_EQ(line.action, CommandLine::Action::error) << other;
        EXPECT_NE(line.message.find(other), std::string::npos);
    }
}

TEST(CommandLine, HelpAndVersionWinAndUnknownArgumentsAreErrors) {
    EXPECT_EQ(parse({"--help"}).action, CommandLine::Action::help);
    EXPECT_EQ(parse({"-p", "-h"}).action, CommandLine::Action::help);
    EXPECT_EQ(parse({"--version"}).action, CommandLine::Action::version);
    EXPECT_EQ(parse({"--frobnicate", "--help"}).action, CommandLine::Action::error);
    EXPECT_NE(app::usageText().find("--version"), std::string::npos);
    EXPECT_EQ(app::versionText().rfind("Lirveto 3.0", 0), 0u);
}

class SingleInstanceTest : public ::testing::Test {
  protected:
    QTemporaryDir folder;
    using Start = app::SingleInstance::Start;

    // A socket file that takes connections but never answers, as a hung or foreign one would.
    int plantSilentSocket(const QString& path) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = path.toLocal8Bit();
        std::strncpy(address.sun_path, name.constData(), sizeof(address.sun_path) - 1);
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        EXPECT_EQ(::listen(fd, 4), 0);
        return fd;
    }
};

TEST_F(SingleInstanceTest, TheFirstTakesTheLockAndAnswersALaterStart) {
    app::SingleInstance first(folder.path());
    int activations = 0;
    ASSERT_EQ(first.start([&activations] { ++activations; }), Start::first);
    EXPECT_TRUE(QFileInfo::exists(first.socketPath()));

    app::SingleInstance second(folder.path());
    // Both ends share this thread, so the first can answer only after the wait: keep it short.
    EXPECT_FALSE(second.askRunningInstance(100));
    for (int i = 0; i < 50 && activations == 0; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(activations, 1);
}

TEST_F(SingleInstanceTest, ASocketThatNeverAnswersIsNoRunningInstance) {
    app::SingleInstance asking(folder.path());
    const int silent = plantSilentSocket(asking.socketPath());
    EXPECT_FALSE(asking.askRunningInstance(200));
    ::close(silent);
}

TEST_F(SingleInstanceTest, WhileTheLockIsHeldALaterStartNeverTakesOrRemovesTheSocket) {
    app::SingleInstance holder(folder.path());
    platform::InstanceLock held(holder.lockPath().toStdString());
    ASSERT_TRUE(held.held());
    const int silent = plantSilentSocket(holder.socketPath());

    app::SingleInstance later(folder.path());
    EXPECT_EQ(later.start([] {}, 300), Start::silent);
    later.deleteLater();
    EXPECT_TRUE(QFileInfo::exists(holder.socketPath()));
    ::close(silent);
}

TEST_F(SingleInstanceTest, AStaleSocketIsReplacedOnceTheLockIsFree) {
    app::SingleInstance next(folder.path());
    ::close(plantSilentSocket(next.socketPath()));  // left behind by a run that crashed
    {
        platform::InstanceLock crashed(next.lockPath().toStdString());
        ASSERT_TRUE(crashed.held());
    }
    ASSERT_EQ(next.start([] {}, 300), Start::first);
    {
        app::SingleInstance third(folder.path());
        EXPECT_EQ(third.start([] {}, 200), Start::silent);  // the lock, not the socket, decides
    }
    EXPECT_TRUE(QFileInfo::exists(next.socketPath()));
}

TEST(InstanceLock, IsExclusiveClosedOnExecAndFreedWithItsHolder) {
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("x.lock")).toStdString();
    {
        platform::InstanceLock first(path);
        ASSERT_TRUE(first.held());
        platform::InstanceLock second(path);
        EXPECT_FALSE(second.held());
        EXPECT_FALSE(second.tryTake());
        // No descriptor without close-on-exec may reach a started program.
        for (int fd = 3; fd < 256; ++fd) {
            const int flags = ::fcntl(fd, F_GETFD);
            if (flags >= 0 && QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(fd))
                                  .symLinkTarget()
                                  .endsWith(QStringLiteral("x.lock"))) {
                EXPECT_NE(flags & FD_CLOEXEC, 0) << fd;
            }
        }
    }
    platform::InstanceLock after(path);
    EXPECT_TRUE(after.held());
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(path)));
}

TEST(RuntimeFolder, TheFallbackIsPrivateAndSomeoneElsesIsRefused) {
    QTemporaryDir temp;
    testing_support::ScopedEnvironmentVariable runtime("XDG_RUNTIME_DIR");
    runtime.unset();
    testing_support::ScopedEnvironmentVariable tmp("TMPDIR");
    tmp.set(temp.path().toStdString());
    std::string error;
    const auto folder = platform::runtimeFolder(error);
    ASSERT_TRUE(folder.has_value()) << error;
    EXPECT_EQ(*folder, temp.path().toStdString() + "/lirveto-" + std::to_string(::getuid()));
    struct stat info {};
    ASSERT_EQ(::stat(folder->c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    ASSERT_EQ(::chmod(folder->c_str(), 0777), 0);  // ours but opened up: narrowed again
    EXPECT_TRUE(platform::runtimeFolder(error).has_value());
    ASSERT_EQ(::stat(folder->c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    const std::string foreign = temp.filePath(QStringLiteral("foreign")).toStdString();
    ASSERT_EQ(::mkdir(foreign.c_str(), 0700), 0);
    ASSERT_EQ(::chown(foreign.c_str(), ::getuid() + 1, ::getgid()), 0);  // the tests run as root
    error.clear();
    EXPECT_FALSE(platform::makePrivateFolder(foreign, error));
    EXPECT_NE(error.find("another user"), std::string::npos) << error;

    const std::string link = temp.filePath(QStringLiteral("link")).toStdString();
    ASSERT_EQ(::symlink(folder->c_str(), link.c_str()), 0);
    EXPECT_FALSE(platform::makePrivateFolder(link, error));
}

}  // namespace
