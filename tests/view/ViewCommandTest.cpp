#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "resources/CommandIds.h"
#include "view/ViewFixture.h"

namespace {

using testing_support::Frame;
using testing_support::MakeFrames;

class ViewCommand : public testing_support::ViewFixture {
protected:
    /// Frame tag of workspace position p (which file and frame it came from).
    Frame At(uint32_t p) {
        Frame f = 0;
        uint32_t got = 0;
        EXPECT_TRUE(workspace.ReadFrames(&f, 1, got, p));
        return f;
    }
    static Frame Tag(uint32_t file, uint32_t k) { return (file << 24) | k; }
};

TEST_F(ViewCommand, ZoomInNeedsMoreThanHalfAFramePerPixel) {
    testing_support::GuiTestFrame::SetChildClientSize(view, 800, kHeight);
    Load(MakeFrames(1, 800));  // one frame per pixel
    ASSERT_EQ(view->GetClientSize().x, 800);

    Drag(100, 500);
    ExpectSelection(100, 400);
    Command(cmd::kZoomIn);
    ExpectView(0, 800);  // 400 / 800 is not above 0.5

    Drag(100, 501);
    Command(cmd::kZoomIn);
    ExpectView(100, 401);
    ExpectSelection(100, 401);
}

// 5000 frames over 200 pixels: 25 frames per pixel.
TEST_F(ViewCommand, ZoomOutWidensAroundTheMiddleWithinTheSource) {
    Load(MakeFrames(1, 5000));
    struct Case {
        const char* name;
        int a, b;  // the drag zoomed into, from the whole source
        uint32_t start, length;
    } cases[] = {
        {"middle", 80, 120, 1750, 1500},         // 2000 + 1000 -> a quarter on each side
        {"near the start", 4, 44, 0, 1500},      // 100 + 1000 starts at 0
        {"near the end", 160, 200, 3750, 1250},  // 4000 + 1000 cut short at 5000
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Command(cmd::kZoomOutFull);
        Drag(c.a, c.b);
        const uint32_t selStart = view->SelectionStart(), selLength = view->SelectionLength();
        Command(cmd::kZoomIn);
        Command(cmd::kZoomOut);
        ExpectView(c.start, c.length);
        ExpectSelection(selStart, selLength);  // zoom leaves the selection be
    }
    Command(cmd::kZoomOutFull);
    ExpectView(0, 5000);
}

TEST_F(ViewCommand, ZoomOutOfAnEmptyRangeStaysEmpty) {
    Load(MakeFrames(1, 5000));
    Drag(160, 200);  // the last 1000 frames
    Command(cmd::kZoomIn);
    Drag(0, 200);  // all of them
    Command(cmd::kCut);
    ExpectView(4000, 0);
    ExpectSelection(4000, 0);
    EXPECT_TRUE(Query(cmd::kZoomOut).enabled);
    Command(cmd::kZoomOut);
    ExpectView(4000, 0);
    Command(cmd::kZoomOutFull);
    ExpectView(0, 4000);
}

TEST_F(ViewCommand, CutAndDeleteRemoveTheSelectionAndFitTheView) {
    for (int id : {cmd::kCut, cmd::kDelete}) {
        SCOPED_TRACE(id);
        workspace.Clear();
        Load(MakeFrames(1, 5000));
        Drag(40, 80);  // frames 1000 to 2000
        Command(id);
        EXPECT_EQ(workspace.TotalLength(), 4000u);
        EXPECT_EQ(At(1000), Tag(1, 2000));
        ExpectView(0, 4000);
        ExpectSelection(1000, 0);
        EXPECT_EQ(workspace.IsClipboardEmpty(), id == cmd::kDelete);
    }
}

TEST_F(ViewCommand, PasteInsertsAtTheInsertionPointOrReplacesTheSelection) {
    Load(MakeFrames(1, 5000));
    Drag(40, 80);
    Command(cmd::kCut);    // clipboard: frames 1000 to 2000
    Command(cmd::kPaste);  // no selection: back where they were
    EXPECT_EQ(workspace.TotalLength(), 5000u);
    EXPECT_EQ(At(999), Tag(1, 999));
    EXPECT_EQ(At(1000), Tag(1, 1000));
    EXPECT_EQ(At(2000), Tag(1, 2000));
    ExpectView(0, 5000);
    ExpectSelection(1000, 0);

    Drag(160, 200);
    Command(cmd::kZoomIn);  // view 4000 + 1000
    Drag(0, 20);            // frames 4000 to 4100
    Command(cmd::kPaste);   // replaced by the 1000 clipboard frames
    EXPECT_EQ(workspace.TotalLength(), 5900u);
    EXPECT_EQ(At(3999), Tag(1, 3999));
    EXPECT_EQ(At(4000), Tag(1, 1000));
    EXPECT_EQ(At(4999), Tag(1, 1999));
    EXPECT_EQ(At(5000), Tag(1, 4100));
    ExpectView(4000, 1000);  // the zoom and the scroll position stay
    ExpectSelection(4000, 0);
}

TEST_F(ViewCommand, CopyTakesFromTheShownSourceAndChangesNothingElse) {
    Load(MakeFrames(1, 5000));
    Load(MakeFrames(2, 3000));  // shown alone
    Drag(20, 40);               // 15 frames per pixel: frames 300 to 600 of file 1
    Command(cmd::kCopy);
    ASSERT_EQ(workspace.Clipboard().size(), 1u);
    EXPECT_EQ(workspace.Clipboard().front().file, workspace.File(1));
    EXPECT_EQ(workspace.Clipboard().front().start, 300u);
    EXPECT_EQ(workspace.Clipboard().front().end, 600u);
    ExpectSelection(300, 300);
    ExpectView(0, 3000);

    Command(cmd::kShowWorkspace);
    ExpectView(0, 5000);
    ExpectSelection(0, 0);
    Drag(20, 40);  // 25 frames per pixel: frames 500 to 1000 of the workspace
    Command(cmd::kCopy);
    ASSERT_EQ(workspace.Clipboard().size(), 1u);
    EXPECT_EQ(workspace.Clipboard().front().file, workspace.File(0));
    EXPECT_EQ(workspace.Clipboard().front().start, 500u);
    EXPECT_EQ(workspace.Clipboard().front().end, 1000u);
    ExpectSelection(500, 500);
    EXPECT_EQ(workspace.TotalLength(), 5000u);
}

TEST_F(ViewCommand, ChoosingASourceShowsAllOfItWithoutSelection) {
    Load(MakeFrames(1, 5000));
    Load(MakeFrames(2, 3000));
    for (int id : {cmd::kFirstWaveFile, cmd::kFirstWaveFile + 1, cmd::kFirstWaveFile + 1,
                   cmd::kShowWorkspace, cmd::kShowWorkspace}) {
        SCOPED_TRACE(id);
        Drag(20, 40);
        Command(cmd::kZoomIn);
        Command(id);
        const bool workspaceShown = id == cmd::kShowWorkspace;
        EXPECT_EQ(view->IsWorkspaceShown(), workspaceShown);
        ExpectView(0, workspaceShown || id == cmd::kFirstWaveFile ? 5000 : 3000);
        ExpectSelection(0, 0);
    }
}

// The update rules, for each state of the view: which commands are enabled and ticked.
TEST_F(ViewCommand, UpdateRules) {
    const int ids[] = {cmd::kCut,           cmd::kDelete,
                       cmd::kPaste,         cmd::kCopy,
                       cmd::kZoomIn,        cmd::kZoomOut,
                       cmd::kZoomOutFull,   cmd::kShowWorkspace,
                       cmd::kFirstWaveFile, cmd::kFirstWaveFile + 1,
                       cmd::kLastWaveFile};
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const char* enabled;  // one letter per id above: E enabled, - disabled
        const char* checked;  // C ticked, - not
    } cases[] = {
        {"no file", [] {}, "-------EEEE", "-------C---"},
        {"workspace, whole, no selection, empty clipboard", [&] { Load(MakeFrames(1, 20000)); },
         "-------EEEE", "-------C---"},
        {"workspace, a selection", [&] { Drag(20, 40); }, "EE-EE--EEEE", "-------C---"},
        {"workspace, zoomed in, clipboard filled",
         [&] {
             Command(cmd::kZoomIn);
             Command(cmd::kCopy);
         },
         "EEEEEEEEEEE", "-------C---"},
        {"workspace, zoomed, no selection",
         [&] {
             Press(0);
             Release(0);
         },
         "--E--EEEEEE", "-------C---"},
        {"workspace, playing",
         [&] {
             Drag(20, 40);
             ASSERT_TRUE(player.Play(0, 20000));
         },
         "---EEEEEEEE", "-------C---"},
        {"one file alone, playing", [&] { Load(MakeFrames(2, 1000)); }, "-------EEEE",
         "---------C-"},
        {"one file alone, a selection, stopped",
         [&] {
             player.Stop();
             Drag(20, 40);
         },
         "---EE--EEEE", "---------C-"},
        {"the first file alone", [&] { Command(cmd::kFirstWaveFile); }, "-------EEEE",
         "--------C--"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        std::string enabled, checked;
        for (int id : ids) {
            const UiState s = Query(id);
            enabled += s.enabled ? 'E' : '-';
            checked += s.checked ? 'C' : '-';
        }
        EXPECT_EQ(enabled, c.enabled);
        EXPECT_EQ(checked, c.checked);
    }
}

}  // namespace
