#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/settings.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "resources/CommandIds.h"
#include "view/ViewFixture.h"

namespace {

using testing_support::Frame;
using testing_support::StereoFrame;

constexpr Rgb kGreen = 0x00FF00;
constexpr Rgb kBlack = 0;
constexpr Rgb kWhite = 0xFFFFFF;

class ViewPaint : public testing_support::ViewFixture {
protected:
    const PixelRaster& Pixels() { return view->Pixels(); }

    /// Every pixel of column x: green exactly on the given rows, black elsewhere.
    void ExpectColumn(int x, std::vector<int> greenRows) {
        std::vector<int> lit;
        for (int y = 0; y < kHeight; ++y) {
            const Rgb p = Pixels().Pixel(x, y);
            ASSERT_TRUE(p == kGreen || p == kBlack) << "pixel " << x << "," << y << " = " << p;
            if (p == kGreen) {
                lit.push_back(y);
            }
        }
        std::sort(greenRows.begin(), greenRows.end());
        greenRows.erase(std::unique(greenRows.begin(), greenRows.end()), greenRows.end());
        EXPECT_EQ(lit, greenRows) << "column " << x;
    }

    std::vector<uint8_t> Snapshot() {
        return {Pixels().Data(), Pixels().Data() + size_t(kWidth) * kHeight * 3};
    }
};

std::vector<int> Rows(int first, int last) {
    std::vector<int> rows;
    for (int y = first; y <= last; ++y) {
        rows.push_back(y);
    }
    return rows;
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(ViewPaint, NoFileShowsTheCentreLineAndTheText) {
    Paint();
    ASSERT_EQ(Pixels().Width(), kWidth);
    ASSERT_EQ(Pixels().Height(), kHeight);

    wxMemoryDC dc;
    dc.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
    const wxRect text(wxPoint(kWidth / 2 - 48, kHeight / 2 - 8), dc.GetTextExtent("No Wave Data"));
    int white = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const Rgb p = Pixels().Pixel(x, y);
            if (text.Contains(x, y)) {
                white += p == kWhite;
                EXPECT_NE(p, kGreen) << "the text is drawn opaque over the centre line";
            } else {
                EXPECT_EQ(p, y == kHeight / 2 ? kGreen : kBlack) << x << "," << y;
            }
        }
    }
    EXPECT_GT(white, 20) << "white text pixels at " << text.x << "," << text.y;
    // The text begins at its corner: the first column with a white pixel is close to it.
    bool nearCorner = false;
    for (int y = text.y; y < text.GetBottom(); ++y) {
        for (int x = text.x; x < text.x + 4; ++x) {
            nearCorner |= Pixels().Pixel(x, y) != kBlack;
        }
    }
    EXPECT_TRUE(nearCorner);
}

TEST_F(ViewPaint, EmptyWorkspaceShowsOnlyTheCentreLine) {
    Load(std::vector<Frame>(500, StereoFrame(9000, -9000)));
    workspace.DeleteRange(0, 500);
    view->ShowSource(-1);
    Flush();
    for (int x = 0; x < kWidth; ++x) {
        ExpectColumn(x, {kHeight / 2});
    }
}

// Columns of constant frames, one case per column, all drawn in one paint: the scaling
// (truncated toward zero), the lines reaching the centre row and leaving out their end.
TEST_F(ViewPaint, ColumnsAreScaledAndReachTheirLaneCentre) {
    constexpr int h = kHeight / 4;  // 25: lanes at rows 25 and 75, centre line at 50
    struct Case {
        int16_t left, right;
        std::vector<int> upper, lower;
    } cases[] = {
        {0, 0, {h}, {3 * h}},                         // silence: one pixel per lane
        {100, -100, {h}, {3 * h}},                    // below one row: one pixel
        {16384, -16384, Rows(14, 25), Rows(76, 87)},  // up from / down from the centre
        {-16384, 16384, Rows(26, 37), Rows(64, 75)},
        {32767, -32768, Rows(2, 25), Rows(76, 99)},  // 32767 -> h - 1, -32768 -> -h
        {-32768, 32767, Rows(26, 50), Rows(52, 75)},
    };
    constexpr int kCases = std::size(cases);
    constexpr int kFramesPerColumn = 10;
    std::vector<Frame> frames;
    for (int x = 0; x < kWidth; ++x) {
        const Case& c = cases[x % kCases];
        frames.insert(frames.end(), kFramesPerColumn, StereoFrame(c.left, c.right));
    }
    Load(frames);
    ExpectView(0, kWidth * kFramesPerColumn);
    for (int x = 1; x < kWidth; ++x) {  // column 0 holds the insertion point's line
        const Case& c = cases[x % kCases];
        SCOPED_TRACE(::testing::Message() << "left " << c.left << " right " << c.right);
        ExpectColumn(x, Join(Join(c.upper, c.lower), {kHeight / 2}));
    }
}

TEST_F(ViewPaint, AColumnSpansItsSmallestToItsLargestSample) {
    // Each column holds one frame of each sign per channel.
    std::vector<Frame> frames;
    for (int x = 0; x < kWidth; ++x) {
        frames.push_back(StereoFrame(16384, 32767));
        frames.push_back(StereoFrame(-16384, -32768));
    }
    Load(frames);
    for (int x = 1; x < kWidth; ++x) {  // column 0 holds the insertion point's line
        ExpectColumn(x, Join(Join(Rows(14, 37), Rows(52, 99)), {kHeight / 2}));
    }
}

TEST_F(ViewPaint, AFileShownAloneIsDrawnEvenWhenEmpty) {
    Load(std::vector<Frame>(300, StereoFrame(20000, 20000)));
    Load({});  // opened second, shown alone
    ASSERT_FALSE(view->IsWorkspaceShown());
    for (int x = 0; x < kWidth; ++x) {
        ExpectColumn(x, {kHeight / 4, kHeight / 2, 3 * kHeight / 4});
    }
}

// A band drawn twice restores the picture: the drag inverts old and new bands only.
TEST_F(ViewPaint, TheBandInvertsAndMovingItBackRestoresThePicture) {
    std::vector<Frame> frames;
    for (int i = 0; i < kWidth * 10; ++i) {
        frames.push_back(StereoFrame(int16_t(i * 37 % 30000), int16_t(-(i * 53 % 30000))));
    }
    Load(frames);
    Press(40);
    Flush();
    const std::vector<uint8_t> plain = Snapshot();

    Move(90);
    Flush();
    ExpectSelection(400, 500);
    for (int x = 0; x < kWidth; ++x) {
        for (int y = 0; y < kHeight; y += 3) {
            const Rgb before = (Rgb(plain[(y * kWidth + x) * 3]) << 16) |
                               (Rgb(plain[(y * kWidth + x) * 3 + 1]) << 8) |
                               plain[(y * kWidth + x) * 3 + 2];
            // Column 40 was the insertion point's line, inverted already.
            const bool inBand = x > 40 && x < 90;
            ASSERT_EQ(Pixels().Pixel(x, y), inBand ? (~before & 0xFFFFFF) : before)
                << x << "," << y;
        }
    }
    Move(20);  // to the other side of the anchor
    Flush();
    Move(40);  // back to the anchor: no band
    Flush();
    ExpectSelection(400, 0);
    EXPECT_EQ(Snapshot(), plain);
}

// A drag never reads audio: after the file shrinks under the view, band moves still show the
// old waveform, and so does an expose, which copies the kept picture.
TEST_F(ViewPaint, ADragDoesNotReadAudio) {
    Load(std::vector<Frame>(kWidth * 10, StereoFrame(30000, -30000)));
    Press(10);
    Flush();
    const std::vector<uint8_t> before = Snapshot();
    const uint64_t columns = view->ColumnsRead();
    std::filesystem::resize_file(dir.File("f0.wav"), 44);

    Move(30);
    Flush();
    Move(10);
    Flush();
    EXPECT_EQ(Snapshot(), before);
    Paint();
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(view->ColumnsRead(), columns);
}

// The picture is kept: exposes copy it, and only a change of the workspace, the shown range
// or the size draws it again from the audio.
TEST_F(ViewPaint, AnExposeReadsNoAudioAndEveryChangeRedraws) {
    std::vector<Frame> frames;
    for (int i = 0; i < kWidth * 10; ++i) {
        frames.push_back(StereoFrame(int16_t(i * 15), int16_t(-i * 15)));
    }
    Load(frames);
    const std::vector<uint8_t> first = Snapshot();
    const uint64_t columns = view->ColumnsRead();
    ASSERT_GE(columns, uint64_t{kWidth});
    for (int i = 0; i < 3; ++i) {
        Paint();
    }
    EXPECT_EQ(view->ColumnsRead(), columns) << "an expose with no change read the audio";
    EXPECT_EQ(Snapshot(), first);

    // An edit made around the view (as an undo from the frame would) still shows.
    workspace.DeleteRange(0, kWidth * 5);
    Paint();
    EXPECT_EQ(view->ColumnsRead(), columns + kWidth);
    EXPECT_NE(Snapshot(), first);
    // Half the frames are gone: the right half of the view now shows no audio.
    ExpectColumn(150, {kHeight / 4, kHeight / 2, 3 * kHeight / 4});

    const uint64_t beforeZoom = view->ColumnsRead();
    Command(cmd::kZoomOutFull);
    EXPECT_EQ(view->ColumnsRead(), beforeZoom + kWidth);
}

// A command that wipes the picture between a move and the paint that follows it makes that
// paint redraw everything, not only move the band over a stale picture.
TEST_F(ViewPaint, ACommandBeforeTheDragPaintRedrawsEverything) {
    std::vector<Frame> frames;
    for (int i = 0; i < kWidth * 10; ++i) {
        frames.push_back(StereoFrame(int16_t(i * 16), int16_t(-i * 16)));
    }
    Load(frames);
    Press(100);
    Flush();
    Move(150);
    Command(cmd::kZoomIn);  // flushes: one paint for both
    ExpectView(1000, 500);
    const std::vector<uint8_t> after = Snapshot();
    Paint();  // a full repaint of the same state
    EXPECT_EQ(Snapshot(), after);
}

TEST_F(ViewPaint, ResizingKeepsTheRangeAndTheSelection) {
    Load(std::vector<Frame>(4000, StereoFrame(0, 0)));
    Drag(20, 120);  // frames 400 to 2400 of 4000
    Command(cmd::kZoomIn);
    ExpectView(400, 2000);
    Drag(50, 100);  // frames 900 to 1400 of the 2000 shown
    ExpectSelection(900, 500);

    testing_support::GuiTestFrame::SetChildClientSize(view, 400, 60);
    ASSERT_TRUE(testing_support::WaitUntil([&] {
        Flush();
        return Pixels().Width() == 400 && Pixels().Height() == 60;
    }));
    ExpectView(400, 2000);
    ExpectSelection(900, 500);
    for (int x = 0; x < 400; ++x) {
        // The same frames spread over 400 columns: the band covers columns 100 to 199.
        EXPECT_EQ(Pixels().Pixel(x, 0), (x >= 100 && x < 200) ? kWhite : kBlack) << x;
        EXPECT_EQ(Pixels().Pixel(x, 15) == kGreen || Pixels().Pixel(x, 15) == 0xFF00FF, true);
    }
}

}  // namespace
