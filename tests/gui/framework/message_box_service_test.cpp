#include "framework/message_box_service.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <functional>
#include <thread>

#include "framework/window.h"
#include "support/looping_message_box.h"

namespace {

using framework::MessageBoxService;
using platform::BoxRequest;
using platform::MessageBoxStyle;

using LoopingBox = testing_support::LoopingMessageBox;

BoxRequest box(const std::string& text, const std::string& cause = {}, bool once = false) {
    return {text, "lirveto nextdat", MessageBoxStyle::OkExclamation, cause, once};
}

// A window whose message handler asks for a box and then lets waiting messages through, as the
// Wave page's buffer-done handler does.
class AskingWindow : public framework::TWindow {
  public:
    explicit AskingWindow(MessageBoxService& service) : boxes(service) {}
    framework::LRESULT onDone(framework::WPARAM, framework::LPARAM) {
        boxes.request(box("Can't write wave data", "write"));
        QCoreApplication::processEvents();
        QTest::qWait(50);
        return 0;
    }
    MessageBoxService& boxes;
    LIRVETO_RESPONSE_TABLE(AskingWindow, framework::TWindow);
};

std::span<const framework::Response<AskingWindow>> AskingWindow::responseTable() {
    static constexpr framework::Response<AskingWindow> table[] = {
        {framework::MM_WOM_DONE, &AskingWindow::onDone},
    };
    return table;
}

TEST(MessageBoxService, ABoxAskedForInAHandlerOpensAfterItFromTheEventLoop) {
    LoopingBox shown;
    MessageBoxService service(shown);
    AskingWindow window(service);
    framework::sendMessage(&window, framework::MM_WOM_DONE);
    EXPECT_TRUE(shown.texts.empty());
    QTest::qWait(300);
    EXPECT_EQ(shown.texts, std::vector<std::string>{"lirveto nextdat: Can't write wave data"});
    EXPECT_FALSE(shown.openedInHandler);
}

TEST(MessageBoxService, BoxesComeOneAtATimeAndRepeatsOfAShownCauseAreDropped) {
    LoopingBox shown;
    MessageBoxService service(shown);
    // Every time a box is open, more failures arrive, as buffer-done messages would.
    shown.whileOpen = [&] {
        service.request(box("Can't write wave data", "write"));
        service.request(box("second cause", "other"));
    };
    service.request(box("Can't write wave data", "write"));
    service.request(box("Can't write wave data", "write"));
    QTest::qWait(400);
    EXPECT_EQ(shown.deepest, 1);
    ASSERT_GE(shown.texts.size(), 2u);
    EXPECT_EQ(shown.texts[0], "lirveto nextdat: Can't write wave data");
    EXPECT_EQ(shown.texts[1], "lirveto nextdat: second cause");
}

TEST(MessageBoxService, OncePerCauseHoldsUntilResetWhicheverThreadAsks) {
    LoopingBox shown;
    MessageBoxService service(shown);
    std::vector<std::thread> timers;
    for (int t = 0; t < 3; ++t) {
        timers.emplace_back([&service] {
            for (int step = 0; step < 500; ++step) {
                service.request(box("Can't write MIDI data", "midi write", true));
            }
        });
    }
    for (std::thread& timer : timers) {
        timer.join();
    }
    QTest::qWait(300);
    EXPECT_EQ(shown.texts.size(), 1u);
    service.request(box("Can't write MIDI data", "midi write", true));
    QTest::qWait(100);
    EXPECT_EQ(shown.texts.size(), 1u);
    service.resetCause("midi write");
    service.request(box("Can't write MIDI data", "midi write", true));
    QTest::qWait(200);
    EXPECT_EQ(shown.texts.size(), 2u);
}

TEST(MessageBoxService, AnotherWindowsModalBoxIsLeftAloneUntilItCloses) {
    LoopingBox shown;
    MessageBoxService service(shown);
    QDialog question;
    QTimer::singleShot(0, [&] {
        service.request(box("Can't write wave data"));
        QTimer::singleShot(300, &question, &QDialog::accept);
    });
    question.exec();
    EXPECT_TRUE(shown.texts.empty());
    QTest::qWait(300);
    EXPECT_EQ(shown.texts.size(), 1u);
    EXPECT_FALSE(shown.openedOverAnotherBox);
}

}  // namespace
