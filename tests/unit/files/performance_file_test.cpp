#include "files/performance_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using files::parsePerformance;

constexpr const char* kept =
    "#lirveto-performance 1\n"
    "page=midi\n"
    "screen=1920x1080\n"
    "start=2026-12-09T07:30:00Z\n"
    "cut=short\n"
    "reads=12\n"
    "length_ms=61\n"
    "from_hz=440\n"
    "Instrument=40\n"
    "SampleRate=44kHz\n"
    "CursorLayout=semitones\n"
    "Glide=classic\n"
    "0 0 100 200\n"
    "12 2 110 200\n"
    "12 3 PitchBend=12\n"
    "40 8 120 190\n";

TEST(PerformanceFile, WritesWhatItReadsAndReadsWhatItWrote) {
    std::string error;
    const auto performance = parsePerformance(kept, error);
    ASSERT_TRUE(performance) << error;
    EXPECT_EQ(performance->page, files::PerformancePage::midi);
    EXPECT_EQ(performance->screen.width, 1920);
    EXPECT_TRUE(performance->cutShort);
    EXPECT_EQ(performance->readCount, 12);
    EXPECT_EQ(performance->lengthMs, 61);
    EXPECT_EQ(performance->fromHz, 440);
    ASSERT_EQ(performance->atPlay.size(), 4U);
    ASSERT_EQ(performance->changes.size(), 1U);
    EXPECT_EQ(performance->changes[0].ordinal, 3);
    ASSERT_EQ(performance->reads.size(), 3U);
    EXPECT_EQ(performance->reads[2], (files::PerformanceRead{40, 8, {120, 190}}));
    EXPECT_EQ(performanceText(*performance), kept);
}

TEST(PerformanceFile, AGestureFileReadsAsAPerformanceOfNoPage) {
    std::string error;
    const auto gesture = parsePerformance("# a gesture\n0 10 20\n\n5 30 40 # moved\n", error);
    ASSERT_TRUE(gesture) << error;
    EXPECT_FALSE(gesture->page);
    EXPECT_EQ(gesture->lengthMs, -1);  // ends at its last line
    ASSERT_EQ(gesture->reads.size(), 2U);
    EXPECT_EQ(gesture->reads[1], (files::PerformanceRead{5, -1, {30, 40}}));
    EXPECT_EQ(parsePerformance(performanceText(*gesture), error), gesture);
}

TEST(PerformanceFile, DamagedInputIsRefusedNamingTheLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"", "the file holds no 't_ms x y' lines"},
        {"#lirveto-performance 1\npage=wave\n", "the performance holds no reads"},
        {"#lirveto-performance 2\n0 0 1 1\n",
         "line 1: the performance is of version 2, newer than this program reads (1)"},
        {"#lirveto-performance x\n",
         "line 1: expected '#lirveto-performance 1', found "
         "'#lirveto-performance x'"},
        {"0 0 1 1\n", "line 1: expected three integers 't_ms x y', found '0 0 1 1'"},
        {"#lirveto-performance 1\npage=flute\n",
         "line 2: page 'flute' is none of wave, dsound, midi"},
        {"#lirveto-performance 1\nscreen=0x5\n", "line 2: screen '0x5' is not WIDTHxHEIGHT"},
        {"#lirveto-performance 1\nVolume=101\n", "line 2: Volume '101' is not a valid value"},
        {"#lirveto-performance 1\nLoudness=1\n", "line 2: unknown setting 'Loudness'"},
        {"#lirveto-performance 1\n0 0 1 1\nVolume=5\n",
         "line 3: the header line 'Volume=5' comes after the reads"},
        {"#lirveto-performance 1\n5 0 1 1\n4 1 1 1\n",
         "line 3: time 4 ms comes before the previous line's 5 ms"},
        {"#lirveto-performance 1\n5 3 1 1\n6 3 2 2\n",
         "line 3: read 3 does not come after the previous read"},
        {"#lirveto-performance 1\n5 3 1 1\n6 2 Volume=3\n", "line 3: read 2 is already past"},
        {"#lirveto-performance 1\n5 3 Volume=3\n6 2 1 1\n",
         "line 3: read 2 comes after a change at read 3"},
        {"#lirveto-performance 1\n5 0 1 1\n6 2 2\n",
         "line 3: a plain read among a performance's numbered reads"},
        {"#lirveto-performance 1\n0 0 1 99999999999\n",
         "line 2: expected whole numbers for x and y, found '1' '99999999999'"},
        {"#lirveto-performance 1\n-1 0 1 1\n", "line 2: a negative time or read number"},
        {"#lirveto-performance 1\nlength_ms=-4\n", "line 2: length_ms '-4' is not a whole number"},
        {"#lirveto-performance 1\nreads=3\n0 0 1 1\n9 5 2 2\n",
         "reads=3 is fewer than the 6 the file numbers"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parsePerformance(c.text, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

}  // namespace
