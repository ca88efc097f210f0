#include <gtest/gtest.h>

#include "gesture.h"

namespace {

Gesture parsed(std::string_view text) {
    std::string error;
    auto gesture = Gesture::parse(text, error);
    EXPECT_TRUE(gesture.has_value()) << error;
    return gesture ? *gesture : *Gesture::parse("0 0 0", error);
}

std::string refusal(std::string_view text) {
    std::string error;
    EXPECT_FALSE(Gesture::parse(text, error).has_value()) << text;
    return error;
}

TEST(Gesture, TheCursorIsTheLastPointAtOrBeforeTheTime) {
    const Gesture gesture =
        parsed("# a sweep\n100 10 20\n\n200 30 40  # mid-line comment\n200 35 45\n400 50 60");
    EXPECT_EQ(gesture.cursorAt(0), (CursorPosition{10, 20}));  // before the first point
    EXPECT_EQ(gesture.cursorAt(100), (CursorPosition{10, 20}));
    EXPECT_EQ(gesture.cursorAt(199), (CursorPosition{10, 20}));
    EXPECT_EQ(gesture.cursorAt(200), (CursorPosition{35, 45}));  // the later of two equal times
    EXPECT_EQ(gesture.cursorAt(5000), (CursorPosition{50, 60}));
    EXPECT_EQ(gesture.lastTimeMs(), 400);
}

TEST(Gesture, WindowsLineEndsTabsAndNegativeCoordinatesAreAccepted) {
    const Gesture gesture = parsed("0\t-5\t7\r\n10 1919 1079\r\n");
    EXPECT_EQ(gesture.cursorAt(0), (CursorPosition{-5, 7}));
    EXPECT_EQ(gesture.cursorAt(10), (CursorPosition{1919, 1079}));
}

TEST(Gesture, MalformedLinesAreRefusedWithTheirLineNumber) {
    EXPECT_EQ(refusal("0 1 2\n5 1\n"),
              "gesture line 2: expected three integers 't_ms x y', found '5 1'");
    EXPECT_NE(refusal("0 1 2 3").find("line 1"), std::string::npos);
    EXPECT_NE(refusal("0 1.5 2").find("line 1"), std::string::npos);
    EXPECT_NE(refusal("0 x 2").find("line 1"), std::string::npos);
    EXPECT_EQ(refusal("0 99999999999 2"), "gesture line 1: the number '99999999999' is too big");
    const std::string longLine = "0 1 2 " + std::string(300, 'z');
    EXPECT_EQ(refusal(longLine), "gesture line 1: expected three integers 't_ms x y', found '" +
                                     longLine.substr(0, 80) + "...'");
    EXPECT_NE(refusal("-1 0 0").find("negative"), std::string::npos);
    EXPECT_NE(refusal("50 0 0\n40 0 0").find("comes before"), std::string::npos);
}

TEST(Gesture, AGestureWithoutPointsIsRefused) {
    EXPECT_EQ(refusal(""), "gesture holds no 't_ms x y' lines");
    EXPECT_EQ(refusal("# only a comment\n\n"), "gesture holds no 't_ms x y' lines");
}

}  // namespace
