// Moving through the source: Home and End, the last column, Paste that keeps the zoom, the
// mouse wheel (with Ctrl: zoom at the pointer), zoom at the insertion point, and the
// playback cursor that follows the deterministic device's played position.

#include <gtest/gtest.h>

#include <cmath>

#include "resources/CommandIds.h"
#include "view/ViewFixture.h"

namespace {

using testing_support::Frame;
using testing_support::MakeFrames;

class ViewNavigation : public testing_support::ViewFixture {
protected:
    Frame At(uint32_t p) {
        Frame f = 0;
        uint32_t got = 0;
        EXPECT_TRUE(workspace.ReadFrames(&f, 1, got, p));
        return f;
    }
    static Frame Tag(uint32_t file, uint32_t k) { return (file << 24) | k; }

    void Wheel(int x, int notches, bool control, bool sideways = false) {
        wxMouseEvent event(wxEVT_MOUSEWHEEL);
        event.SetEventObject(view);
        event.SetPosition(wxPoint(x, kHeight / 2));
        event.m_wheelDelta = 120;
        event.m_wheelRotation = 120 * notches;
        event.m_wheelAxis = sideways ? wxMOUSE_WHEEL_HORIZONTAL : wxMOUSE_WHEEL_VERTICAL;
        event.SetControlDown(control);
        view->HandleWindowEvent(event);
        Flush();
    }
    /// The frame at pixel column x of the view now.
    double FrameAt(int x) const {
        return view->ViewStart() + double(x) * view->ViewLength() / kWidth;
    }
};

// 5000 frames over 200 pixels: 25 frames per pixel.
TEST_F(ViewNavigation, EndPlacesTheInsertionPointAtTheLengthSoPasteAppends) {
    Load(MakeFrames(1, 5000));
    Drag(0, 40);  // frames 0 to 1000
    Command(cmd::kCopy);
    Command(cmd::kGoToEnd);
    ExpectSelection(5000, 0);
    Command(cmd::kPaste);
    EXPECT_EQ(workspace.TotalLength(), 6000u);
    EXPECT_EQ(At(4999), Tag(1, 4999));
    EXPECT_EQ(At(5000), Tag(1, 0));
    EXPECT_EQ(At(5999), Tag(1, 999));
    ExpectView(0, 6000);  // the whole source was shown and still is

    Command(cmd::kGoToStart);
    ExpectSelection(0, 0);
}

TEST_F(ViewNavigation, EndAndHomeScrollAZoomedViewToTheirFrame) {
    Load(MakeFrames(1, 5000));
    Drag(40, 80);
    Command(cmd::kZoomIn);  // frames 1000 to 2000
    Command(cmd::kGoToEnd);
    ExpectSelection(5000, 0);
    ExpectView(4000, 1000);
    Command(cmd::kGoToStart);
    ExpectSelection(0, 0);
    ExpectView(0, 1000);
}

TEST_F(ViewNavigation, AClickInTheLastColumnReachesTheEndOfTheShownRange) {
    Load(MakeFrames(1, 5000));
    Press(kWidth - 1);
    Release(kWidth - 1);
    ExpectSelection(5000, 0);
    Press(kWidth - 2);
    Release(kWidth - 2);
    ExpectSelection(198 * 25, 0);  // the column before it still starts where it always did

    Drag(40, 80);
    Command(cmd::kZoomIn);  // frames 1000 to 2000, 5 per pixel
    Press(kWidth - 1);
    Release(kWidth - 1);
    ExpectSelection(2000, 0);
}

TEST_F(ViewNavigation, PasteKeepsTheZoomAndTheScrollPositionWhereTheyFit) {
    Load(MakeFrames(1, 5000));
    Drag(0, 40);
    Command(cmd::kCopy);  // 1000 frames
    Drag(80, 120);
    Command(cmd::kZoomIn);  // frames 2000 to 3000
    Drag(100, 100);         // insertion point at 2500
    Command(cmd::kPaste);
    EXPECT_EQ(workspace.TotalLength(), 6000u);
    ExpectView(2000, 1000);

    // A long selection replaced by a short clip: the source shrinks below the view's end,
    // so the view moves back and is cut to the source.
    Command(cmd::kZoomOutFull);  // 6000 frames, 30 per pixel
    Drag(0, 4);                  // 120 frames
    Command(cmd::kCopy);
    Drag(10, 190);  // frames 300 to 5700
    Command(cmd::kZoomIn);
    ExpectView(300, 5400);
    Drag(0, kWidth);  // all of it
    Command(cmd::kPaste);
    EXPECT_EQ(workspace.TotalLength(), 720u);
    ExpectView(0, 720);
}

TEST_F(ViewNavigation, CtrlWheelZoomsAroundTheFrameUnderThePointer) {
    Load(MakeFrames(1, 5000));
    const struct {
        int x;
        int notches;
    } steps[] = {{50, 1}, {50, 2}, {150, 1}, {10, -1}, {180, 3}};
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << "x " << s.x << ", " << s.notches << " notches");
        const double before = FrameAt(s.x);
        const uint32_t length = view->ViewLength();
        Wheel(s.x, s.notches, true);
        EXPECT_NEAR(view->ViewLength(), length / std::pow(1.25, s.notches), 1.0);
        EXPECT_NEAR(FrameAt(s.x), before, 0.5) << "the frame under the pointer moved";
    }
    // Zooming out past the whole source stops there, at the start.
    Wheel(100, -20, true);
    ExpectView(0, 5000);
}

TEST_F(ViewNavigation, TheWheelScrollsATenthOfTheRangeWithinTheSource) {
    Load(MakeFrames(1, 5000));
    Wheel(100, -1, false);  // whole source shown: nowhere to go
    ExpectView(0, 5000);
    Drag(40, 80);
    Command(cmd::kZoomIn);  // 1000 to 2000
    Wheel(100, -1, false);  // down: on through the source
    ExpectView(1100, 1000);
    Wheel(100, 2, false);
    ExpectView(900, 1000);
    Wheel(100, 1, false, true);  // a sideways wheel to the right goes on too
    ExpectView(1000, 1000);
    Wheel(100, 30, false);
    ExpectView(0, 1000);
    Wheel(100, -60, false);
    ExpectView(4000, 1000);
}

TEST_F(ViewNavigation, PlusAndMinusZoomAtTheInsertionPoint) {
    Load(MakeFrames(1, 5000));
    Drag(40, 40);  // insertion point at frame 1000, column 40
    Command(cmd::kZoomInAtInsertion);
    ExpectView(500, 2500);  // frame 1000 stays at column 40: 500 + 40 * 12.5
    Command(cmd::kZoomInAtInsertion);
    ExpectView(750, 1250);
    Command(cmd::kZoomOutAtInsertion);
    ExpectView(500, 2500);
    Command(cmd::kZoomOutAtInsertion);
    Command(cmd::kZoomOutAtInsertion);
    ExpectView(0, 5000);
    ExpectSelection(1000, 0);
}

class PlaybackCursor : public ViewNavigation {
protected:
    testing_support::FakeAudioQueue& Device() { return *device.LastQueue(); }
    bool CursorAt(int column) {
        return testing_support::WaitUntil([&] { return view->CursorColumn() == column; },
                                          std::chrono::seconds(2));
    }
};

// 100000 frames over 200 pixels: 500 frames per pixel; the device plays 512 per buffer.
TEST_F(PlaybackCursor, FollowsTheFramesTheDeviceHasPlayed) {
    Load(MakeFrames(1, 100000));
    player.Play(0, 100000);
    view->FollowPlayback();
    EXPECT_EQ(view->CursorColumn(), 0);
    Device().CompleteNext();
    EXPECT_TRUE(CursorAt(1)) << "512 frames played: column 1, not " << view->CursorColumn();
    for (int i = 0; i < 9; ++i) {
        Device().CompleteNext();
    }
    EXPECT_TRUE(CursorAt(10)) << "5120 frames played: column 10, not " << view->CursorColumn();
    player.Stop();
    EXPECT_TRUE(CursorAt(-1)) << "no cursor after Stop";
}

TEST_F(PlaybackCursor, PagesAfterTheSoundWhenItLeavesTheShownRange) {
    Load(MakeFrames(1, 100000));
    Drag(0, 20);
    Command(cmd::kZoomIn);  // frames 0 to 10000, 50 per pixel
    player.Play(0, 100000);
    view->FollowPlayback();
    for (int i = 0; i < 19; ++i) {
        Device().CompleteNext();  // 9728 frames: still on the first page
    }
    EXPECT_TRUE(CursorAt(194));
    ExpectView(0, 10000);
    Device().CompleteNext();  // 10240 frames
    EXPECT_TRUE(CursorAt(0));
    ExpectView(10240, 10000);
}

TEST_F(PlaybackCursor, StaysOffAnotherSourceAndEndsWithThePlayback) {
    Load(MakeFrames(1, 4096));
    Load(MakeFrames(2, 3000));  // shown alone
    view->ShowSource(-1);
    player.Play(0, 4096);  // 8 buffers: the whole range fits the ring
    view->FollowPlayback();
    view->ShowSource(1);
    Device().CompleteNext();
    EXPECT_TRUE(CursorAt(-1)) << "the file shown is not the one playing";
    view->ShowSource(-1);
    EXPECT_TRUE(CursorAt(512 * kWidth / 4096));
    Device().CompleteAll();
    EXPECT_TRUE(CursorAt(-1)) << "the range has been played to its end";
}

}  // namespace
