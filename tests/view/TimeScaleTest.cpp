// Times as the ruler and the status bar write them, the ruler's mark spacing over the zoom
// levels, and the readouts of selections that cross hours, at 44.1 and 48 kHz. Expected
// texts are worked out by hand from the frame counts.

#include <gtest/gtest.h>

#include "view/TimeScale.h"

using namespace time_scale;

namespace {

TEST(TimeScale, FormatsFramesAsHoursMinutesSecondsAndMilliseconds) {
    const struct {
        uint64_t frames;
        uint32_t rate;
        const char* withMs;
        const char* withoutMs;
    } cases[] = {
        {0, 44100, "0:00:00.000", "0:00:00"},
        {66150, 44100, "0:00:01.500", "0:00:01"},
        {44099, 44100, "0:00:00.999", "0:00:00"},  // truncated, never rounded up
        {3600ull * 44100 - 1, 44100, "0:59:59.999", "0:59:59"},
        {3600ull * 44100, 44100, "1:00:00.000", "1:00:00"},
        {178725888, 48000, "1:02:03.456", "1:02:03"},
        {0xFFFFFFFFull, 44100, "27:03:11.548", "27:03:11"},
        {0xFFFFFFFFull, 48000, "24:51:18.485", "24:51:18"},
        {1000, 0, "0:00:00.000", "0:00:00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatTime(c.frames, c.rate), c.withMs) << c.frames << " at " << c.rate;
        EXPECT_EQ(FormatTime(c.frames, c.rate, false), c.withoutMs) << c.frames;
    }
}

TEST(TimeScale, MarkSpacingGrowsWithTheShownRange) {
    const struct {
        const char* zoom;
        double framesPerPixel;
        uint32_t rate;
        uint64_t spacingMs;
    } cases[] = {
        {"deepest zoom", 0.5, 44100, 2},                      // 90 px = 1.02 ms
        {"0.1 s over 1000 px", 4.41, 44100, 10},              // 90 px = 9 ms
        {"5 s over 1000 px", 220.5, 44100, 500},              // 90 px = 450 ms
        {"1 min over 600 px at 48 kHz", 4800, 48000, 10000},  // 9 s
        {"10 min over 1000 px", 26460, 44100, 60000},         // 54 s
        {"1 h over 1000 px", 158760, 44100, 600000},          // 5.4 min
        {"27 h over 1000 px", 4294967.295, 44100, 10800000},  // 2.4 h
        {"far beyond a day", 1e6, 1, 1042ull * 86400000},     // 90e9 ms, in whole days
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MarkSpacingMs(c.framesPerPixel, c.rate, 90), c.spacingMs) << c.zoom;
    }
}

TEST(TimeScale, MarksFallOnWholeStepsInsideTheShownRange) {
    using Marks = std::vector<std::pair<int, std::string>>;
    const auto marks = [](uint32_t start, uint32_t length, int width, uint32_t rate) {
        Marks out;
        for (const Mark& m : RulerMarks(start, length, width, rate, 90)) {
            out.emplace_back(m.x, m.label);
        }
        return out;
    };
    // 5 s over 1000 px: every 500 ms, 100 px apart; the end itself is outside.
    const Marks whole = marks(0, 220500, 1000, 44100);
    ASSERT_EQ(whole.size(), 10u);
    EXPECT_EQ(whole.front(), (std::pair<int, std::string>{0, "0:00:00.000"}));
    EXPECT_EQ(whole[3], (std::pair<int, std::string>{300, "0:00:01.500"}));
    EXPECT_EQ(whole.back(), (std::pair<int, std::string>{900, "0:00:04.500"}));

    // A range that starts between marks: the first mark is the next whole step.
    EXPECT_EQ(marks(55125, 44100, 400, 44100), (Marks{{100, "0:00:01.500"}, {300, "0:00:02.000"}}));

    // Across an hour at 44.1 kHz.
    const Marks hour = marks(3598 * 44100, 4 * 44100, 800, 44100);
    ASSERT_EQ(hour.size(), 8u);
    EXPECT_EQ(hour[0], (std::pair<int, std::string>{0, "0:59:58.000"}));
    EXPECT_EQ(hour[4], (std::pair<int, std::string>{400, "1:00:00.000"}));

    // One hour at 48 kHz over 1200 px: every 5 min, without milliseconds.
    const Marks coarse = marks(0, 3600 * 48000, 1200, 48000);
    ASSERT_EQ(coarse.size(), 12u);
    EXPECT_EQ(coarse[1], (std::pair<int, std::string>{100, "0:05:00"}));
    EXPECT_EQ(coarse[11], (std::pair<int, std::string>{1100, "0:55:00"}));

    EXPECT_TRUE(marks(0, 0, 1000, 44100).empty());
    EXPECT_TRUE(marks(0, 1000, 0, 44100).empty());
}

TEST(TimeScale, ReadoutsOfSelectionsAndTheInsertionPoint) {
    const struct {
        const char* name;
        uint32_t start, length, total, rate;
        Readouts expected;
    } cases[] = {
        {"insertion point at the start",
         0,
         0,
         220500,
         44100,
         {"Insertion 0:00:00.000", "", "", "Total 0:00:05.000", "44100 Hz",
          "Insertion point at frame 0 of 220500"}},
        {"eight seconds across the hour",
         158671800,
         352800,
         200000000,
         44100,
         {"Start 0:59:58.000", "End 1:00:06.000", "Length 0:00:08.000", "Total 1:15:35.147",
          "44100 Hz", "Frames 158671800 to 159024600, 352800 of 200000000"}},
        {"two milliseconds across the hour at 48 kHz",
         172799952,
         96,
         0xFFFFFFFFu,
         48000,
         {"Start 0:59:59.999", "End 1:00:00.001", "Length 0:00:00.002", "Total 24:51:18.485",
          "48000 Hz", "Frames 172799952 to 172800048, 96 of 4294967295"}},
        {"the very end of the longest source",
         0xFFFFFFFFu,
         0,
         0xFFFFFFFFu,
         44100,
         {"Insertion 27:03:11.548", "", "", "Total 27:03:11.548", "44100 Hz",
          "Insertion point at frame 4294967295 of 4294967295"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Readouts r = MakeReadouts(c.start, c.length, c.total, c.rate);
        EXPECT_EQ(r.start, c.expected.start);
        EXPECT_EQ(r.end, c.expected.end);
        EXPECT_EQ(r.length, c.expected.length);
        EXPECT_EQ(r.total, c.expected.total);
        EXPECT_EQ(r.rate, c.expected.rate);
        EXPECT_EQ(r.frames, c.expected.frames);
    }
}

}  // namespace
