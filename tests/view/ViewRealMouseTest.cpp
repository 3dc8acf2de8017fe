// The mouse through the X server: pointer motion and button events that the display
// delivers, so that the capture and double-click behaviour of the toolkit itself is
// exercised. The tests move the one pointer of the display, so they run alone.

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "view/ViewFixture.h"

namespace {

class ViewRealMouse : public testing_support::ViewFixture {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        if (!HasFatalFailure()) {
            Load(testing_support::MakeFrames(1, 2000));  // 10 frames per pixel
        }
    }

    /// Moves the pointer to client x of the view (at mid-height) and lets the events arrive.
    void MoveTo(int x) {
        input.MouseMove(view->ClientToScreen(wxPoint(x, kHeight / 2)));
        Settle();
    }
    void Settle() {
        for (int i = 0; i < 5; ++i) {
            testing_support::ProcessPendingUi(view);
            wxMilliSleep(5);
        }
    }

    /// One notch of the wheel, as the X server reports it: button 4 up, 5 down.
    void WheelNotch(bool up) {
        Display* display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        const unsigned button = up ? 4 : 5;
        XTestFakeButtonEvent(display, button, True, CurrentTime);
        XTestFakeButtonEvent(display, button, False, CurrentTime);
        XFlush(display);
        XCloseDisplay(display);
        Settle();
    }
    double FrameAt(int x) const {
        return view->ViewStart() + double(x) * view->ViewLength() / kWidth;
    }

    wxUIActionSimulator input;
};

TEST_F(ViewRealMouse, ACapturedDragClampsPositionsBeyondBothEdges) {
    MoveTo(50);
    input.MouseDown();
    Settle();
    ASSERT_TRUE(view->HasCapture());
    ExpectSelection(500, 0);

    MoveTo(kWidth + 120);  // outside the view, and outside the frame
    ExpectSelection(500, 1500);
    MoveTo(-40);
    ExpectSelection(0, 500);
    input.MouseUp();
    Settle();
    EXPECT_FALSE(view->HasCapture());
    ExpectSelection(0, 500);
}

// The second press comes three pixels right of the first, close enough for a double click:
// had it been a press, the selection would start at frame 230.
TEST_F(ViewRealMouse, TheSecondPressOfADoubleClickKeepsTheFirstAnchor) {
    MoveTo(20);
    input.MouseDown();
    input.MouseUp();
    MoveTo(23);
    input.MouseDown();
    Settle();
    ExpectSelection(200, 0);
    MoveTo(60);
    ExpectSelection(200, 400);
    input.MouseUp();
    Settle();
    EXPECT_FALSE(view->HasCapture());
}

// 2000 frames over 200 pixels: the frame under column 50 is 500 until the zoom changes.
TEST_F(ViewRealMouse, CtrlWheelZoomsAtThePointerAndThePlainWheelScrolls) {
    MoveTo(50);
    input.KeyDown(WXK_CONTROL);
    Settle();
    WheelNotch(true);
    input.KeyUp(WXK_CONTROL);
    Settle();
    ASSERT_TRUE(testing_support::WaitUntil([&] { return view->ViewLength() < 2000; }))
        << "Ctrl+wheel up did not zoom in";
    EXPECT_NEAR(FrameAt(50), 500.0, 0.5) << "the frame under the pointer moved";

    const uint32_t length = view->ViewLength();
    const uint32_t start = view->ViewStart();
    WheelNotch(false);
    ASSERT_TRUE(testing_support::WaitUntil([&] { return view->ViewStart() != start; }))
        << "the wheel did not scroll";
    EXPECT_EQ(view->ViewStart(), start + length / 10) << "down moves a tenth of the range on";
    EXPECT_EQ(view->ViewLength(), length) << "scrolling keeps the zoom";

    input.KeyDown(WXK_CONTROL);
    Settle();
    WheelNotch(false);
    input.KeyUp(WXK_CONTROL);
    Settle();
    ASSERT_TRUE(testing_support::WaitUntil([&] { return view->ViewLength() > length; }))
        << "Ctrl+wheel down did not zoom out";
}

}  // namespace
