// Columns drawn from the peak tables: equal to reading every frame through random edit lists
// and zoom levels, and pending while the tables are held back, filled in when they complete.

#include <gtest/gtest.h>

#include <random>

#include "resources/CommandIds.h"
#include "support/PeakTestSupport.h"
#include "view/ViewFixture.h"

using namespace testing_support;

namespace {

// The column as reading every one of its frames finds it.
ColumnPeaks EveryFrame(const Workspace& workspace, bool fromWorkspace, uint8_t fileIndex,
                       uint32_t position, double framesPerPixel) {
    const uint32_t count = ColumnPeakReader::FramesPerColumn(framesPerPixel);
    std::vector<Frame> frames(count);
    uint32_t got = 0;
    if (fromWorkspace) {
        workspace.ReadFrames(frames.data(), count, got, position);
    } else {
        workspace.ReadFileFrames(fileIndex, frames.data(), count, got, position);
    }
    ColumnPeaks c;
    for (uint32_t i = 0; i < std::min(got, count); ++i) {
        const auto left = int16_t(uint16_t(frames[i]));
        const auto right = int16_t(uint16_t(frames[i] >> 16));
        c.leftMax = std::max(c.leftMax, left);
        c.leftMin = std::min(c.leftMin, left);
        c.rightMax = std::max(c.rightMax, right);
        c.rightMin = std::min(c.rightMin, right);
    }
    return c;
}

class ViewTables : public ViewFixture {
protected:
    void TearDown() override {
        ViewFixture::TearDown();
        workspace.Clear();  // stops any held builder while the gate still exists
    }
    const PeakPyramid& Peaks(uint32_t file) { return *workspace.Peaks(*workspace.File(file)); }
    PeakGate gate;
};

TEST_F(ViewTables, ColumnsFromTheTablesEqualEveryFrameThroughRandomEditsAndZooms) {
    std::mt19937 rng(20261207);
    Load(RandomWalkFrames(rng, 1300000));
    Load(RandomWalkFrames(rng, 200000));
    ASSERT_TRUE(WaitForTables(Peaks(0)));
    ASSERT_TRUE(WaitForTables(Peaks(1)));

    const double zooms[] = {0.4, 1, 3.7, 255, 256, 257, 1000.5, 4095, 4097, 65535, 65537, 300000};
    ColumnPeakReader reader;
    for (int round = 0; round < 40; ++round) {
        const uint32_t length = workspace.TotalLength();
        const uint32_t a = rng() % length;
        const uint32_t b = std::min(length, a + 1 + uint32_t(rng() % 150000));
        switch (rng() % 3) {
            case 0:
                workspace.CutRange(a, b);
                workspace.PasteAt(rng() % (workspace.TotalLength() + 1));
                break;
            case 1:
                workspace.CopyFromFile(a % 200000, a % 200000 + rng() % 70000, 1);
                workspace.PasteAt(rng() % (workspace.TotalLength() + 1));
                break;
            default:
                workspace.DeleteRange(a, a + rng() % 3000);
        }
        for (int query = 0; query < 25; ++query) {
            const double framesPerPixel = zooms[rng() % std::size(zooms)];
            const bool fromWorkspace = rng() % 4 != 0;
            const uint8_t file = uint8_t(rng() % 3);  // 2 is no file: the first file is read
            const uint32_t position = rng() % (workspace.TotalLength() + 1000);
            const ColumnPeaks got =
                reader.Read(workspace, fromWorkspace, file, position, framesPerPixel);
            const ColumnPeaks want =
                EveryFrame(workspace, fromWorkspace, file, position, framesPerPixel);
            SCOPED_TRACE(::testing::Message()
                         << "round " << round << " at " << position << " zoom " << framesPerPixel
                         << " workspace " << fromWorkspace << " file " << int(file));
            EXPECT_EQ(got.leftMax, want.leftMax);
            EXPECT_EQ(got.leftMin, want.leftMin);
            EXPECT_EQ(got.rightMax, want.rightMax);
            EXPECT_EQ(got.rightMin, want.rightMin);
        }
    }
    // Zoomed out, nearly every frame comes from the tables.
    const uint64_t before = reader.RawFramesRead();
    reader.Read(workspace, true, 0, 0, 300000);
    EXPECT_LT(reader.RawFramesRead() - before, 300000u / 50);
}

bool HasPendingPixel(const PixelRaster& raster) {
    for (int x = 0; x < raster.Width(); ++x) {
        if (raster.Pixel(x, 0) == WaveformView::kPendingColour) {
            return true;
        }
    }
    return false;
}

TEST_F(ViewTables, TheFirstPictureShowsPendingColumnsThatFillInWhenTheTablesComplete) {
    workspace.SetPeakHook(gate.Hook());
    std::mt19937 rng(77);
    // Past the first chunk lie more frames than the view reads directly.
    const uint32_t frames = PeakPyramid::kChunkFrames + WaveformView::kDirectReadFrames + 99999;
    Load(RandomWalkFrames(rng, frames));
    ASSERT_TRUE(gate.WaitForArrival());
    Command(cmd::kZoomOutFull);  // drawn with the first chunk's tables ready

    EXPECT_TRUE(view->HasPendingColumns());
    const int ready = int(uint64_t{PeakPyramid::kChunkFrames} * kWidth / frames);
    EXPECT_NE(view->Pixels().Pixel(ready - 2, 0), WaveformView::kPendingColour);
    EXPECT_EQ(view->Pixels().Pixel(ready + 2, 0), WaveformView::kPendingColour);
    EXPECT_EQ(view->Pixels().Pixel(kWidth - 1, 0), WaveformView::kPendingColour);

    gate.Open();
    ASSERT_TRUE(WaitUntil(
        [&] {
            Flush();
            return Peaks(0).IsComplete() && !view->HasPendingColumns();
        },
        std::chrono::seconds(30)))
        << "the pending columns never filled in";
    EXPECT_FALSE(HasPendingPixel(view->Pixels()));
    const PixelRaster filled = view->Pixels();
    Command(cmd::kZoomOutFull);  // drawn afresh from complete tables
    for (int x = 0; x < kWidth; ++x) {
        for (int y = 0; y < kHeight; ++y) {
            ASSERT_EQ(view->Pixels().Pixel(x, y), filled.Pixel(x, y)) << x << "," << y;
        }
    }
}

}  // namespace
