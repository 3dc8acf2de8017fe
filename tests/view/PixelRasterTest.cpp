#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/Workspace.h"
#include "support/TestWav.h"
#include "view/ColumnPeaks.h"
#include "view/PixelRaster.h"
#include "view/ViewFixture.h"

namespace {

using testing_support::StereoFrame;

constexpr Rgb kGreen = 0x00FF00;

/// Rows of column x that are not black.
std::vector<int> LitRows(const PixelRaster& r, int x) {
    std::vector<int> rows;
    for (int y = 0; y < r.Height(); ++y) {
        if (r.Pixel(x, y) != 0) {
            rows.push_back(y);
        }
    }
    return rows;
}

std::vector<int> Rows(int first, int last) {
    std::vector<int> rows;
    for (int y = first; y <= last; ++y) {
        rows.push_back(y);
    }
    return rows;
}

TEST(PixelRaster, LinesLeaveOutTheirEndPointAndClip) {
    PixelRaster r;
    r.Resize(10, 10);
    r.VerticalLine(1, 8, 3, kGreen);    // upwards: 8 down to 4
    r.VerticalLine(2, 3, 8, kGreen);    // downwards: 3 up to 7
    r.VerticalLine(3, 5, 5, kGreen);    // no pixel at all
    r.VerticalLine(4, 20, -5, kGreen);  // clipped to the whole column
    r.VerticalLine(12, 0, 9, kGreen);   // outside
    EXPECT_EQ(LitRows(r, 1), Rows(4, 8));
    EXPECT_EQ(LitRows(r, 2), Rows(3, 7));
    EXPECT_TRUE(LitRows(r, 3).empty());
    EXPECT_EQ(LitRows(r, 4), Rows(0, 9));

    r.HorizontalLine(0, 10, 9, kGreen);  // the whole row; x = 10 is outside anyway
    r.HorizontalLine(6, 2, 0, kGreen);   // 6 down to 3
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(r.Pixel(x, 9), kGreen) << x;
        EXPECT_EQ(r.Pixel(x, 0), (x >= 3 && x <= 6) ? kGreen : 0u) << x;
    }
}

TEST(PixelRaster, InvertingTheSameRectTwiceRestoresThePicture) {
    PixelRaster r;
    r.Resize(8, 6);
    r.SetPixel(2, 2, kGreen);
    r.SetPixel(7, 5, 0x123456);
    const std::vector<uint8_t> before(r.Data(), r.Data() + 8 * 6 * 3);

    r.InvertRect(5, 0, 1, 6);  // reversed edges: columns 1..4
    EXPECT_EQ(r.Pixel(2, 2), 0xFF00FFu) << "green inverts to magenta";
    EXPECT_EQ(r.Pixel(1, 0), 0xFFFFFFu);
    EXPECT_EQ(r.Pixel(4, 5), 0xFFFFFFu);
    EXPECT_EQ(r.Pixel(0, 0), 0u) << "left of the rect";
    EXPECT_EQ(r.Pixel(5, 0), 0u) << "the right edge is not covered";
    r.InvertRect(-3, -3, 100, 100);  // clipped to the raster
    r.InvertRect(-3, -3, 100, 100);
    r.InvertRect(1, 0, 5, 6);
    EXPECT_EQ(std::vector<uint8_t>(r.Data(), r.Data() + 8 * 6 * 3), before);
}

TEST(ColumnPeakReader, FramesPerColumn) {
    struct Case {
        double framesPerPixel;
        uint32_t frames;
    } cases[] = {{0.0, 1},         {0.4, 1},           {std::nan(""), 1},
                 {1.0, 1},         {2.9, 2},           {65535.9, 65535},
                 {65536.0, 65536}, {200000.5, 200000}, {1e12, 0xFFFFFFFF}};
    for (const Case& c : cases) {
        EXPECT_EQ(ColumnPeakReader::FramesPerColumn(c.framesPerPixel), c.frames)
            << c.framesPerPixel;
    }
}

// A column examines every frame it covers, also past 65,535 frames, and none beyond.
TEST(ColumnPeakReader, ExaminesEveryFrameOfALongColumn) {
    testing_support::TempDir dir;
    constexpr uint32_t kFrames = 140000;
    std::vector<testing_support::Frame> frames(kFrames, 0);
    const std::string path = dir.File("long.wav");
    Workspace ws;

    struct Case {
        double framesPerPixel;
        uint32_t position;
        uint32_t peakAt;
        bool seen;
    } cases[] = {
        {65536.0, 0, 65535, true},        // whole column 0 mod 65536
        {70000.0, 0, 69999, true},        // the last frame of the column
        {70000.0, 0, 70000, false},       // the first frame of the next column
        {131072.5, 0, 131071, true},      // three chunks
        {70000.0, 70000, 139999, true},   // the last frame of the source
        {70000.0, 100000, 100000, true},  // the column runs past the end
        {0.3, 5, 5, true},                // zoomed in: the one frame at the position
        {0.3, 5, 6, false},
    };
    for (const Case& c : cases) {
        std::fill(frames.begin(), frames.end(), StereoFrame(-3, 3));
        frames[c.peakAt] = StereoFrame(1000, -1000);
        ws.Clear();
        testing_support::WriteWav(path, frames);
        ASSERT_TRUE(ws.AddFile(path.c_str()));
        for (bool fromWorkspace : {true, false}) {
            ColumnPeakReader reader;
            const ColumnPeaks p = reader.Read(ws, fromWorkspace, 0, c.position, c.framesPerPixel);
            SCOPED_TRACE(::testing::Message() << "fpp " << c.framesPerPixel << " peak at "
                                              << c.peakAt << " workspace " << fromWorkspace);
            EXPECT_EQ(p.leftMax, c.seen ? 1000 : 0);
            EXPECT_EQ(p.rightMin, c.seen ? -1000 : 0);
            // The other frames of the column; a one-frame column holding the peak has none.
            const bool others = !(c.framesPerPixel < 1.0 && c.seen);
            EXPECT_EQ(p.leftMin, others ? -3 : 0);
            EXPECT_EQ(p.rightMax, others ? 3 : 0);
        }
    }
}

// A read that fails delivers nothing: the column is all zeros, whatever the reader's buffer
// held from the column before.
TEST(ColumnPeakReader, AFailedReadGivesZeroExtremes) {
    testing_support::TempDir dir;
    const std::string path = dir.File("short.wav");
    testing_support::WriteWav(path, std::vector<testing_support::Frame>(100, StereoFrame(-7, 9)));
    Workspace ws;
    ASSERT_TRUE(ws.AddFile(path.c_str()));
    ColumnPeakReader reader;
    EXPECT_EQ(reader.Read(ws, true, 0, 0, 50.0).rightMax, 9);
    for (bool fromWorkspace : {true, false}) {
        const ColumnPeaks p = reader.Read(ws, fromWorkspace, 0, 5000, 50.0);  // past the end
        EXPECT_EQ(p.leftMax, 0);
        EXPECT_EQ(p.leftMin, 0);
        EXPECT_EQ(p.rightMax, 0);
        EXPECT_EQ(p.rightMin, 0);
    }
}

}  // namespace
