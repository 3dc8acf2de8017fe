#include <gtest/gtest.h>

#include <vector>

#include "view/ViewFixture.h"

namespace {

using testing_support::Frame;

// 2000 frames over 200 columns: 10 frames per pixel.
class ViewMouse : public testing_support::ViewFixture {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        if (!HasFatalFailure()) {
            Load(testing_support::MakeFrames(1, 2000));
        }
    }
};

TEST_F(ViewMouse, APressWithoutMovingSetsTheInsertionPoint) {
    Drag(10, 60);
    Press(37);
    EXPECT_TRUE(view->HasCapture());
    ExpectSelection(370, 0);
    Release(37);
    EXPECT_FALSE(view->HasCapture());
    ExpectSelection(370, 0);
}

// Each case: press at `anchor`, then the moves with the left button alone.
TEST_F(ViewMouse, DraggingSelectsFromTheAnchorToThePointer) {
    struct Case {
        const char* name;
        int anchor;
        std::vector<int> moves;
        uint32_t start, length;
    } cases[] = {
        {"right", 20, {35, 60}, 200, 400},
        {"left", 60, {50, 20}, 200, 400},
        {"right and back to the anchor", 20, {60, 20}, 200, 0},
        {"left, then right of the anchor", 60, {20, 100}, 600, 400},
        {"beyond the left edge", 50, {-30}, 0, 500},
        {"beyond the right edge", 50, {250}, 500, 1500},
        {"beyond both edges", 50, {-400, 900}, 500, 1500},
        {"exactly to the right edge", 0, {200}, 0, 2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Press(c.anchor);
        for (int x : c.moves) {
            Move(x);
        }
        EXPECT_TRUE(view->HasCapture());
        ExpectSelection(c.start, c.length);
        Release(c.moves.back());
        Flush();
    }
}

// Only the left button alone drags: Shift, Ctrl and any other button leave the selection be.
TEST_F(ViewMouse, OnlyTheLeftButtonAloneDrags) {
    struct Case {
        const char* name;
        int buttons;
        int modifiers;
        bool drags;
    } cases[] = {
        {"left", kLeft, wxMOD_NONE, true},
        {"left with Alt", kLeft, wxMOD_ALT, true},
        {"left with Shift", kLeft, wxMOD_SHIFT, false},
        {"left with Ctrl", kLeft, wxMOD_CONTROL, false},
        {"left and right", kLeft | kRight, wxMOD_NONE, false},
        {"left and middle", kLeft | kMiddle, wxMOD_NONE, false},
        {"no button", 0, wxMOD_NONE, false},
        {"right alone", kRight, wxMOD_NONE, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Press(20);
        Move(60, c.buttons, c.modifiers);
        ExpectSelection(200, c.drags ? 400 : 0);
        Release(60);
        Flush();
    }
}

TEST_F(ViewMouse, SuppressNextDragSkipsOnlyTheNextMove) {
    Press(20);
    view->SuppressNextDrag();
    Move(60);
    ExpectSelection(200, 0);
    Move(80);
    ExpectSelection(200, 600);

    // A move of any kind uses up the suppression.
    view->SuppressNextDrag();
    Move(90, 0);
    Move(100);
    ExpectSelection(200, 800);
    Release(100);
}

TEST_F(ViewMouse, TheSecondPressOfADoubleClickIsNoPress) {
    Press(20);
    Release(20);
    Mouse(wxEVT_LEFT_DCLICK, 120);
    ExpectSelection(200, 0);
    Move(100);
    ExpectSelection(200, 800);  // still from the first press's anchor
    Release(100);
    EXPECT_FALSE(view->HasCapture());
}

// The anchor can lie beyond a view that narrowed during the drag; the selection then
// shrinks to nothing rather than wrapping around to a huge length.
TEST_F(ViewMouse, ADragPastAnAnchorBeyondTheWidthSelectsNothing) {
    Press(150);
    testing_support::GuiTestFrame::SetChildClientSize(view, 100, kHeight);
    ASSERT_EQ(view->GetClientSize().x, 100);
    // 20 frames per pixel now: the anchor stands for frame 3000, beyond the 2000 shown.
    Move(170);  // counts as x = 100, frame 2000
    ExpectSelection(3000, 0);
    Move(50);
    ExpectSelection(1000, 2000);
    Release(50);
}

TEST_F(ViewMouse, WithoutAFileTheMouseChangesNothingButIsCaptured) {
    workspace.Clear();
    view->ShowSource(-1);
    Press(50);
    EXPECT_TRUE(view->HasCapture());
    Move(150);
    ExpectSelection(0, 0);
    Release(150);
    EXPECT_FALSE(view->HasCapture());
}

}  // namespace
