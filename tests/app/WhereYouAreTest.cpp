// What the main window says about where the user is: the title, the status bar's readouts
// and prompt, the ruler beside the view, and the scrollbar of a zoomed view.

#include <gtest/gtest.h>
#include <wx/scrolbar.h>
#include <wx/statusbr.h>

#include "app/FrameFixture.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"
#include "resources/CommandIds.h"
#include "resources/Strings.h"
#include "view/TimeRuler.h"
#include "view/WaveformPanel.h"
#include "view/WaveformView.h"

using namespace testing_support;

namespace {

class WhereYouAre : public FrameFixture {
public:
    std::vector<wxString> Readouts() const {
        std::vector<wxString> texts;
        for (int pane = 1; pane <= 5; ++pane) {
            texts.push_back(frame->GetStatusBar()->GetStatusText(pane));
        }
        return texts;
    }
    wxString Prompt() const { return frame->GetStatusBar()->GetStatusText(0); }
};

TEST_F(WhereYouAre, TitleAndPromptNameTheShownSource) {
    EXPECT_EQ(frame->GetTitle(), wxString::FromUTF8("Untitled \u2014 Workspace \u2014 Orvane"));
    LoadThroughDialog(MakeWav("first take.wav", 44100));
    // The session's name comes first, marked: the load is an unsaved change.
    EXPECT_EQ(frame->GetTitle(),
              wxString::FromUTF8("*Untitled \u2014 first take.wav \u2014 Orvane"));
    EXPECT_EQ(Prompt(), str::Text(str::kFileShownAlone));
    Command(cmd::kShowWorkspace);
    EXPECT_EQ(frame->GetTitle(), wxString::FromUTF8("*Untitled \u2014 Workspace \u2014 Orvane"));
    EXPECT_EQ(Prompt(), "Ready");
}

// 10 s at 44.1 kHz; the view is some hundreds of pixels wide, so a drag's frames are read
// back from the view rather than assumed.
TEST_F(WhereYouAre, ReadoutsFollowTheInsertionPointAndTheSelection) {
    EXPECT_EQ(Readouts(), (std::vector<wxString>{"", "", "", "", ""})) << "nothing loaded";
    LoadThroughDialog(MakeWav("a.wav", 441000));
    Command(cmd::kShowWorkspace);
    EXPECT_EQ(Readouts(), (std::vector<wxString>{"Insertion 0:00:00.000", "", "",
                                                 "Total 0:00:10.000", "44100 Hz"}));
    Command(cmd::kGoToEnd);
    EXPECT_EQ(Readouts()[0], "Insertion 0:00:10.000");

    DragInView(100, 300);
    const uint32_t start = frame->View()->SelectionStart();
    const uint32_t length = frame->View()->SelectionLength();
    ASSERT_GT(length, 0u);
    const auto ms = [](uint32_t frames) { return uint64_t{frames} * 1000 / 44100; };
    const auto clock = [](uint64_t millis) {
        return wxString::Format("0:00:%02u.%03u", unsigned(millis / 1000), unsigned(millis % 1000));
    };
    EXPECT_EQ(Readouts(), (std::vector<wxString>{
                              "Start " + clock(ms(start)), "End " + clock(ms(start + length)),
                              "Length " + clock(ms(length)), "Total 0:00:10.000", "44100 Hz"}));
    EXPECT_EQ(frame->GetStatusBar()->GetToolTipText(),
              wxString::Format("Frames %u to %u, %u of 441000", start, start + length, length));
}

// Times of hours fit their panes whole in the desktop's font, not cut to "Insertion 0:00:0...".
TEST_F(WhereYouAre, ReadoutPanesHoldHoursWhole) {
    wxStatusBar* bar = frame->GetStatusBar();
    const wxString texts[] = {"Insertion 27:03:11.349", "End 27:03:11.349", "Length 27:03:11.349",
                              "Total 27:03:11.349", "192000 Hz"};
    for (int i = 0; i < 5; ++i) {
        frame->SetStatusText(texts[i], 1 + i);
    }
    bar->Refresh();
    bar->Update();
    ProcessPendingUi(frame);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(bar->GetField(1 + i).IsEllipsized()) << texts[i];
    }
}

TEST_F(WhereYouAre, TheScrollbarAppearsWhenZoomedInAndMovesTheView) {
    WaveformPanel* panel = frame->ViewPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->View(), frame->View());
    LoadThroughDialog(MakeWav("a.wav", 441000));
    Command(cmd::kShowWorkspace);
    EXPECT_FALSE(panel->ScrollBar()->IsShown()) << "the whole source is shown";

    DragInView(100, 200);
    Command(cmd::kZoomIn);
    WaveformView* view = frame->View();
    ASSERT_LT(view->ViewLength(), 441000u);
    ASSERT_TRUE(panel->ScrollBar()->IsShown());
    EXPECT_EQ(panel->ScrollBar()->GetRange(), 441000);
    EXPECT_EQ(panel->ScrollBar()->GetThumbSize(), int(view->ViewLength()));
    EXPECT_EQ(panel->ScrollBar()->GetThumbPosition(), int(view->ViewStart()));
    // The ruler lies right above the view, its marks aligned with the view's columns.
    EXPECT_LT(panel->Ruler()->GetPosition().y, view->GetPosition().y);
    EXPECT_GE(panel->Ruler()->ViewOffset(), 0);

    // Dragging the thumb to the end moves the view there.
    wxScrollEvent track(wxEVT_SCROLL_THUMBTRACK, panel->ScrollBar()->GetId(),
                        441000 - int(view->ViewLength()), wxHORIZONTAL);
    track.SetEventObject(panel->ScrollBar());
    panel->ScrollBar()->ProcessWindowEvent(track);
    ProcessPendingUi(frame);
    EXPECT_EQ(view->ViewStart() + view->ViewLength(), 441000u);
    EXPECT_EQ(panel->ScrollBar()->GetThumbPosition(), int(view->ViewStart()));

    Command(cmd::kZoomOutFull);
    EXPECT_FALSE(panel->ScrollBar()->IsShown());
}

TEST_F(WhereYouAre, PlayPlaysAFileShownAloneAndItsCursorFollows) {
    LoadThroughDialog(MakeWav("a.wav", 100000, 1));
    LoadThroughDialog(MakeWav("b.wav", 200000, 2));  // shown alone
    ASSERT_TRUE(Enabled(cmd::kPlay));
    Command(cmd::kPlay);
    ASSERT_TRUE(frame->Player().IsPlaying());
    EXPECT_EQ(frame->Host().Source(), 1) << "the file is read, not the workspace";
    for (int i = 0; i < 100; ++i) {
        audio.LastQueue()->CompleteNext();
    }
    const int expected = int(51200.0 * frame->View()->GetClientSize().x / 200000);
    EXPECT_TRUE(WaitUntil([&] { return frame->View()->CursorColumn() == expected; }))
        << "cursor at " << frame->View()->CursorColumn() << ", not " << expected;
    Command(cmd::kStop);
    EXPECT_EQ(frame->GetWorkspace().TotalLength(), 100000u) << "playing changed nothing";
}

}  // namespace
