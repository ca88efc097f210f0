// The web items of the Help menu with the real shell on a machine where no browser can be found.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/main_menu.h"
#include "frame_fakes.h"
#include "platform/backends/qt/qt_shell.h"
#include "support/qt_application.h"
#include "support/scoped_environment_variable.h"

namespace {

using namespace testframe;
namespace command = app::command;

class NoBrowser : public AppFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(emptyFolder.isValid());
        path.set(emptyFolder.path().toStdString());
        browser.unset();
        defaultBrowser.unset();
        AppFixture::SetUp();
        app.reset();
        makeApp(withRealShell);
    }
    void TearDown() override {
        AppFixture::TearDown();
        path.restore();
        browser.restore();
        defaultBrowser.restore();
    }

    QTemporaryDir emptyFolder;
    testing_support::ScopedEnvironmentVariable path{"PATH"};
    testing_support::ScopedEnvironmentVariable browser{"BROWSER"};
    testing_support::ScopedEnvironmentVariable defaultBrowser{"DEFAULT_BROWSER"};
    platform::QtShell realShell;
    app::AppServices withRealShell{
        realShell, help, QStringLiteral("/nonexistent/lirveto"), messages, cursor, dialogs, [] {
            return std::unique_ptr<platform::WaveOutApi>();
        }};
};

TEST_F(NoBrowser, EachWebItemSaysSoOnTheStatusBar) {
    app::SDIDecFrame* frame = start();
    for (const int item : {command::checkForUpdates, command::productPage, command::makerSite}) {
        SCOPED_TRACE(item);
        frame->setStatusText(QString());
        testing::internal::CaptureStderr();
        frame->menuAction(item)->trigger();
        QCoreApplication::processEvents();
        EXPECT_EQ(frame->statusText(), "No web browser found: install one, or xdg-utils");
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.find("browser"), std::string::npos) << said;
    }
}

}  // namespace
