#include "files/performance_capture.h"
#include "files/performance_replay.h"

#include <gtest/gtest.h>

#include "support/scoped_settings.h"
#include "support/scripted_cursor.h"

namespace {

using files::PerformancePage;
using testing_support::ScriptedCursor;

TEST(PerformanceCapture, KeepsOnlyReadsThatMovedAndSettingsThatChanged) {
    ScopedToneSettings restored;
    ScriptedCursor pointer({5, 5}, {800, 600});
    pointer.script = {{5, 5}, {5, 5}, {7, 5}, {7, 5}, {7, 5}};
    files::PerformanceCapture capture(pointer, 4096);
    capture.begin(PerformancePage::wave, "then");
    for (int read = 0; read < 5; ++read) {
        if (read == 3) {
            settings::Volume = settings::Volume + 1;
        }
        EXPECT_EQ(capture.cursorPosition(), pointer.position);  // passed through unchanged
    }
    const auto play = capture.finish();
    ASSERT_TRUE(play);
    EXPECT_EQ(play->screen, (platform::ScreenSize{800, 600}));
    ASSERT_EQ(play->reads.size(), 2U);
    EXPECT_EQ(play->reads[0].ordinal, 0);
    EXPECT_EQ(play->reads[1].ordinal, 2);
    EXPECT_EQ(play->reads[1].position, (platform::CursorPosition{7, 5}));
    ASSERT_EQ(play->changes.size(), 1U);
    EXPECT_EQ(play->changes[0].key, "Volume");
    EXPECT_EQ(play->changes[0].ordinal, 3);
    EXPECT_FALSE(play->cutShort);
    EXPECT_FALSE(capture.finish());  // one capture per play
}

TEST(PerformanceCapture, MovesEitherWayAndOfAnySizeReadBackAsTheyWere) {
    ScriptedCursor pointer;
    const std::deque<platform::CursorPosition> moves = {
        {0, 0}, {-3, 1000}, {7680, 4320}, {7679, 4320}, {7687, 4312}, {-70000, 70000}};
    pointer.script = moves;
    files::PerformanceCapture capture(pointer, 4096);
    capture.begin(PerformancePage::dsound, "");
    for (std::size_t read = 0; read < moves.size(); ++read) {
        (void)capture.cursorPosition();
    }
    const auto play = capture.finish();
    ASSERT_TRUE(play);
    ASSERT_EQ(play->reads.size(), moves.size());
    for (std::size_t i = 0; i < play->reads.size(); ++i) {
        EXPECT_EQ(play->reads[i].position, moves[i]) << i;
        EXPECT_EQ(play->reads[i].ordinal, static_cast<int64_t>(i));
    }
}

// A play back reads the play's reads in place of the pointer, and knows when it has given all.
TEST(PerformanceCapture, AStandInIsReadInsteadOfThePointerUntilTheReplayEnds) {
    ScriptedCursor pointer({1, 1}, {800, 600});
    files::Performance played;
    played.readCount = 3;
    played.reads = {{0, 0, {10, 20}}, {5, 2, {30, 40}}};
    files::ReadReplay replay(played);
    files::PerformanceCapture capture(pointer, 4096);
    capture.readFrom(&replay);
    EXPECT_EQ(capture.cursorPosition(), (platform::CursorPosition{10, 20}));
    EXPECT_EQ(capture.cursorPosition(), (platform::CursorPosition{10, 20}));
    EXPECT_FALSE(replay.finished());
    EXPECT_EQ(capture.cursorPosition(), (platform::CursorPosition{30, 40}));
    EXPECT_TRUE(replay.finished());
    capture.readFrom(nullptr);
    EXPECT_EQ(capture.cursorPosition(), pointer.position);
}

TEST(PerformanceCapture, AFullCaptureIsCutShortAndAnUnreadPlayIsNone) {
    ScriptedCursor pointer;
    files::PerformanceCapture capture(pointer, 55);  // room for three short notes
    capture.begin(PerformancePage::midi, "");
    EXPECT_FALSE(capture.finish());
    capture.begin(PerformancePage::midi, "");
    for (int x = 0; x < 10; ++x) {
        pointer.position = {x, 0};
        (void)capture.cursorPosition();
    }
    const auto play = capture.finish();
    ASSERT_TRUE(play);
    EXPECT_TRUE(play->cutShort);
    EXPECT_EQ(play->reads.size(), 3U);
}

TEST(PerformanceHistory, GivesUpTheOldestPlaysBeyondItsBudget) {
    auto play = [](PerformancePage page, int reads) {
        files::Performance performance;
        performance.page = page;
        performance.reads.assign(static_cast<std::size_t>(reads), {});
        return performance;
    };
    const std::size_t one = files::PerformanceHistory::bytesOf(play(PerformancePage::wave, 100));
    files::PerformanceHistory history(one * 2);
    history.keep(play(PerformancePage::midi, 100));
    history.keep(play(PerformancePage::wave, 100));
    EXPECT_NE(history.last(PerformancePage::midi), nullptr);
    history.keep(play(PerformancePage::wave, 100));
    EXPECT_EQ(history.size(), 2U);
    EXPECT_EQ(history.last(PerformancePage::midi), nullptr);
    EXPECT_LE(history.bytes(), one * 2);
    history.keep(play(PerformancePage::dsound, 1000));  // alone over the budget: still kept
    EXPECT_EQ(history.size(), 1U);
    EXPECT_NE(history.last(PerformancePage::dsound), nullptr);
}

}  // namespace
