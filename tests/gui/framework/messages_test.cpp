#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <thread>
#include <vector>

#include "framework/window.h"
#include "support/qt_application.h"

namespace {

using namespace framework;

class Base : public TWindow {
  public:
    std::vector<UINT> seen;
    LRESULT onToggle(WPARAM w, LPARAM l) {
        seen.push_back(page::toggle);
        return static_cast<LRESULT>(w) + l;
    }
    LRESULT onStop(WPARAM, LPARAM) {
        seen.push_back(page::stop);
        return 1;
    }
    LIRVETO_RESPONSE_TABLE(Base, TWindow);
};

std::span<const Response<Base>> Base::responseTable() {
    static constexpr Response<Base> table[] = {
        {page::toggle, &Base::onToggle},
        {page::stop, &Base::onStop},
    };
    return table;
}

// A derived class answers stop itself and a command by id; the rest goes to the base table.
class Derived : public Base {
  public:
    LRESULT onStopHere(WPARAM, LPARAM) {
        seen.push_back(page::stop + 1000);
        return 2;
    }
    LRESULT onPlayCommand(WPARAM, LPARAM) { return 105; }
    LIRVETO_RESPONSE_TABLE(Derived, Base);
};

std::span<const Response<Derived>> Derived::responseTable() {
    static constexpr Response<Derived> table[] = {
        {page::stop, &Derived::onStopHere},
        {WM_COMMAND, &Derived::onPlayCommand, 105},
    };
    return table;
}

TEST(Messages, SendReturnsTheHandlersResultAndTablesChainToTheirBases) {
    Derived window;
    EXPECT_EQ(sendMessage(&window, page::toggle, 40, 2), 42);
    EXPECT_EQ(sendMessage(&window, page::stop), 2);
    EXPECT_EQ(sendMessage(&window, WM_COMMAND, makeWParam(105, BN_CLICKED)), 105);
    EXPECT_EQ(sendMessage(&window, WM_COMMAND, makeWParam(106, BN_CLICKED)), 0);
    EXPECT_EQ(sendMessage(&window, page::play), 0);
    EXPECT_EQ(sendMessage(nullptr, page::play), 0);
    EXPECT_EQ(window.seen, (std::vector<UINT>{page::toggle, page::stop + 1000}));
}

TEST(Messages, PostedMessagesArriveLaterInOrder) {
    Base window;
    EXPECT_TRUE(postMessage(&window, page::stop));
    EXPECT_TRUE(postMessage(&window, page::toggle, 1, 1));
    EXPECT_FALSE(postMessage(nullptr, page::stop));
    EXPECT_TRUE(window.seen.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(window.seen, (std::vector<UINT>{page::stop, page::toggle}));
}

TEST(Messages, PostingFromAnotherThreadIsDeliveredOnTheGuiThread) {
    Base window;
    std::atomic<bool> wrongThread{false};
    auto port = window.messagePort();
    std::thread audio([&] {
        for (int i = 0; i < 500; ++i) {
            port->post(page::toggle, 0, 0);
        }
    });
    audio.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.seen.size(), 500u);
    EXPECT_FALSE(wrongThread);
}

TEST(Messages, PostingToAClosedWindowIsDroppedSafely) {
    auto* window = new Base;
    auto port = window->messagePort();
    EXPECT_TRUE(port->post(MM_WOM_DONE));  // still queued when the window goes
    delete window;
    EXPECT_FALSE(port->post(MM_WOM_DONE));
    std::thread late([port] { port->post(MM_WOM_DONE); });
    late.join();
    QCoreApplication::processEvents();  // nothing left to deliver, nothing touched
}

TEST(Messages, PageMessageNumbers) {
    EXPECT_EQ(page::toggle, 0x425u);
    EXPECT_EQ(page::updateTitle, 0x433u);
    EXPECT_EQ(page::broadcast, 0x44Eu);
    EXPECT_EQ(page::settingsChanged, 0x44Fu);
    EXPECT_EQ(page::fitFrame, 0x450u);
    EXPECT_EQ(page::tabLeft, 0x461u);
    EXPECT_EQ(MM_WOM_DONE, 0x3BDu);
}

TEST(Messages, PackedPointsKeepTheirSign) {
    EXPECT_EQ(pointX(packPoint(-20, 700)), -20);
    EXPECT_EQ(pointY(packPoint(-20, 700)), 700);
    EXPECT_EQ(pointY(packPoint(5, -1)), -1);
}

}  // namespace
