#include "platform/box_requests.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

using platform::BoxRequest;
using platform::BoxRequests;

BoxRequest box(const std::string& text, const std::string& cause = {}, bool once = false) {
    return {text, "caption", platform::MessageBoxStyle::OkExclamation, cause, once};
}

TEST(BoxRequests, ARepeatOfACauseWaitsForItsBoxToCloseAndUncausedBoxesAllCome) {
    BoxRequests requests;
    EXPECT_TRUE(requests.add(box("disk full", "write")));
    EXPECT_FALSE(requests.add(box("disk full", "write")));
    EXPECT_TRUE(requests.add(box("12")));
    EXPECT_TRUE(requests.add(box("12")));

    const auto first = requests.takeNext();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->text, "disk full");
    EXPECT_FALSE(requests.add(box("disk full", "write")));  // still on screen
    requests.finished(*first);
    EXPECT_TRUE(requests.add(box("disk full again", "write")));

    std::vector<std::string> order;
    while (const auto next = requests.takeNext()) {
        order.push_back(next->text);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"12", "12", "disk full again"}));
    EXPECT_TRUE(requests.empty());
}

TEST(BoxRequests, AOncePerCauseBoxComesAgainOnlyAfterItsCauseIsReset) {
    BoxRequests requests;
    EXPECT_TRUE(requests.add(box("write failed", "record", true)));
    const auto shown = requests.takeNext();
    ASSERT_TRUE(shown.has_value());
    requests.finished(*shown);
    EXPECT_FALSE(requests.add(box("write failed", "record", true)));
    EXPECT_TRUE(requests.add(box("other", "play", true)));  // causes are separate
    requests.resetCause("record");
    EXPECT_TRUE(requests.add(box("write failed", "record", true)));
}

// Timer threads asking for the same box every step while the GUI thread shows them: each cause
// reaches the screen once.
TEST(BoxRequests, ManyThreadsAskingEveryStepGiveOneBoxPerCause) {
    BoxRequests requests;
    std::vector<std::thread> steps;
    for (int t = 0; t < 4; ++t) {
        steps.emplace_back([&requests, t] {
            for (int i = 0; i < 2000; ++i) {
                requests.add(box("step failed", "cause " + std::to_string(t % 2), true));
            }
        });
    }
    int shown = 0;
    for (int spins = 0; spins < 100000 && shown < 2; ++spins) {
        if (const auto next = requests.takeNext()) {
            ++shown;
            requests.finished(*next);
        }
    }
    for (std::thread& step : steps) {
        step.join();
    }
    while (const auto next = requests.takeNext()) {
        ++shown;
        requests.finished(*next);
    }
    EXPECT_EQ(shown, 2);
}

}  // namespace
