// What the main window says about where the user is: the title, the status bar's readouts
// (at the shown source's rate) and its first pane, the ruler and the band over the view, the
// scrollbar of a zoomed view, and playback at the rate of what is shown.

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/scrolbar.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <functional>
#include <tuple>

#include "app/FrameFixture.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"
#include "render/RenderDialog.h"
#include "resources/CommandIds.h"
#include "resources/Strings.h"
#include "support/WavBytes.h"
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
    /// The status bar's tooltip with the pointer over pane `pane`.
    wxString TipOver(int pane) const {
        wxStatusBar* bar = frame->GetStatusBar();
        wxRect rect;
        EXPECT_TRUE(bar->GetFieldRect(pane, rect));
        wxMouseEvent motion(wxEVT_MOTION);
        motion.SetEventObject(bar);
        motion.SetPosition(rect.GetPosition() + wxPoint(rect.width / 2, rect.height / 2));
        bar->ProcessWindowEvent(motion);
        return bar->GetToolTipText();
    }
    /// A WAV file of `frames` frames of a slow ramp at `rate`.
    std::string MakeWavAt(const std::string& name, uint32_t frames, uint32_t rate) {
        std::vector<int16_t> samples(size_t{frames} * 2);
        for (size_t i = 0; i < samples.size(); ++i) {
            samples[i] = int16_t(i % 20000);
        }
        const std::string path = dir.File(name);
        WriteBytes(path, CanonicalWav(samples, rate));
        return path;
    }
};

TEST_F(WhereYouAre, TitleAndPromptNameTheShownSource) {
    EXPECT_EQ(frame->GetTitle(), wxString::FromUTF8("Untitled \u2014 Workspace \u2014 Orvane"));
    // The first file seeds the workspace and is shown as it, ready for editing.
    LoadThroughDialog(MakeWav("first take.wav", 44100));
    EXPECT_EQ(frame->GetTitle(), wxString::FromUTF8("*Untitled \u2014 Workspace \u2014 Orvane"));
    EXPECT_EQ(Prompt(), "Ready");
    DragInView(10, 50);
    EXPECT_TRUE(Enabled(cmd::kCut)) << "a selection in it can be cut at once";
    // A later file is shown alone; the session's name comes first, marked as changed.
    LoadThroughDialog(MakeWav("second take.wav", 44100, 2));
    EXPECT_EQ(frame->GetTitle(),
              wxString::FromUTF8("*Untitled \u2014 second take.wav \u2014 Orvane"));
    EXPECT_EQ(Prompt(), str::Text(str::kFileShownAlone));
    Command(cmd::kShowWorkspace);
    EXPECT_EQ(frame->GetTitle(), wxString::FromUTF8("*Untitled \u2014 Workspace \u2014 Orvane"));
    EXPECT_EQ(Prompt(), "Ready");
}

// Every readout is read at the rate of what is shown: the workspace's (its first file's), or
// a file's own when it is shown alone. Each row shows a source, places a selection and reads
// the five panes and the tooltip over them.
TEST_F(WhereYouAre, ReadoutsAreAtTheShownSourcesRate) {
    EXPECT_EQ(Readouts(), (std::vector<wxString>{"", "", "", "", ""})) << "nothing loaded";
    LoadThroughDialog(MakeWavAt("ws.wav", 240000, 48000));   // 5.000 s, seeds the workspace
    LoadThroughDialog(MakeWavAt("low.wav", 110250, 22050));  // 5.000 s, shown alone
    LoadThroughDialog(MakeWavAt("cd.wav", 441000, 44100));   // 10.000 s, shown alone
    WaveformView* view = frame->View();
    const struct {
        const char* name;
        std::function<void()> show;
        std::vector<wxString> readouts;
        wxString tip;
    } rows[] = {
        {"the workspace at 48 kHz, whole",
         [&] { Command(cmd::kShowWorkspace); },
         {"Insertion 0:00:00.000", "", "", "Total 0:00:05.000", "48000 Hz"},
         "Insertion point at frame 0 of 240000"},
        {"a selection in the workspace at 48 kHz",
         [&] { view->ShowWorkspaceSelection(72000, 24001); },
         {"Start 0:00:01.500", "End 0:00:02.000", "Length 0:00:00.500", "Total 0:00:05.000",
          "48000 Hz"},
         "Frames 72000 to 96001, 24001 of 240000"},
        {"the workspace's last frame",
         [&] { view->ShowWorkspaceSelection(239999, 0); },
         {"Insertion 0:00:04.999", "", "", "Total 0:00:05.000", "48000 Hz"},
         "Insertion point at frame 239999 of 240000"},
        {"a file at 22,050 Hz alone, at its end",
         [&] {
             Command(cmd::kFirstWaveFile + 1);
             Command(cmd::kGoToEnd);
         },
         {"Insertion 0:00:05.000", "", "", "Total 0:00:05.000", "22050 Hz"},
         "Insertion point at frame 110250 of 110250"},
        {"a file at 44.1 kHz alone",
         [&] { Command(cmd::kFirstWaveFile + 2); },
         {"Insertion 0:00:00.000", "", "", "Total 0:00:10.000", "44100 Hz"},
         "Insertion point at frame 0 of 441000"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        row.show();
        ProcessPendingUi(frame);
        EXPECT_EQ(Readouts(), row.readouts);
        EXPECT_EQ(TipOver(1), row.tip);
    }
}

// The pane the pointer is over gives the status bar's tooltip: the first pane's whole text
// (a long message is cut in the pane), the selection in frames over the readouts.
TEST_F(WhereYouAre, TheFirstPaneHoldsMessagesByImportanceAndItsTooltipHoldsThemWhole) {
    LoadThroughDialog(MakeWavAt("a.wav", 1000, 44100));
    EXPECT_EQ(Prompt(), "Ready");
    const wxString warning =
        "3 plug-in(s) failed their examination: see VST Plugins > Choose "
        "Plug-in... (and a text long enough to be cut in the pane)";
    frame->ShowStatusMessage("plug-ins", warning, StatusLine::Priority::kWarning);
    frame->ShowStatusMessage("recovery", "No recovery copy", StatusLine::Priority::kError);
    EXPECT_EQ(Prompt(), "No recovery copy");
    EXPECT_EQ(TipOver(0), "No recovery copy\n" + warning + "\nReady");
    EXPECT_EQ(TipOver(1), "Insertion point at frame 0 of 1000");
    frame->WithdrawStatusMessage("recovery");
    EXPECT_EQ(Prompt(), warning);
    // A file shown alone changes the prompt underneath, not the warning over it.
    LoadThroughDialog(MakeWavAt("b.wav", 1000, 44100));
    EXPECT_EQ(Prompt(), warning);
    EXPECT_EQ(TipOver(0), warning + "\n" + str::Text(str::kFileShownAlone));
    frame->WithdrawStatusMessage("plug-ins");
    EXPECT_EQ(Prompt(), str::Text(str::kFileShownAlone));
}

// The band over the selection in the view covers exactly the columns the ruler marks, for a
// selection cut by the view's left edge, by its right edge, by both, and one inside it.
TEST_F(WhereYouAre, TheViewsBandCoversTheRulersColumns) {
    LoadThroughDialog(MakeWavAt("a.wav", 100000, 44100));
    WaveformView* view = frame->View();
    TimeRuler* ruler = frame->ViewPanel()->Ruler();
    const int w = view->GetClientSize().x;
    ASSERT_GT(w, 100);
    // Which of the view's columns the view inverts (its top row is background, black) and
    // the ruler colours (its top row is background too, as past the view's right edge).
    const auto viewColumns = [&] {
        std::vector<int> columns;
        for (int x = 0; x < view->Pixels().Width(); ++x) {
            if (view->Pixels().Pixel(x, 0) != 0) {
                columns.push_back(x);
            }
        }
        return columns;
    };
    const auto rulerColumns = [&] {
        const wxSize size = ruler->GetClientSize();
        wxBitmap bitmap(size);
        wxMemoryDC dc(bitmap);
        ruler->Draw(dc);
        dc.SelectObject(wxNullBitmap);
        const wxImage image = bitmap.ConvertToImage();
        const auto colour = [&](int x) {
            return std::make_tuple(image.GetRed(x, 0), image.GetGreen(x, 0), image.GetBlue(x, 0));
        };
        std::vector<int> columns;
        for (int x = 0; x < size.x; ++x) {
            if (colour(x) != colour(size.x - 1)) {
                columns.push_back(x - ruler->ViewOffset());
            }
        }
        return columns;
    };
    const auto range = [](int left, int right) {
        std::vector<int> columns;
        for (int x = left; x < right; ++x) {
            columns.push_back(x);
        }
        return columns;
    };
    // The view shows frames [40000, 60000): 20000 frames over w columns.
    const struct {
        const char* name;
        uint32_t start, length;
        std::vector<int> columns;
    } shapes[] = {
        {"starts left of the view", 30000, 15000, range(0, w / 4)},
        {"ends right of the view", 55000, 15000, range(3 * w / 4, w)},
        {"encloses the view", 10000, 80000, range(0, w)},
        {"inside the view", 45000, 5000, range(w / 4, w / 2)},
        {"wholly left of the view", 1000, 2000, {}},
        {"the insertion point, a line", 50000, 0, {w / 2}},
    };
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.name);
        view->ShowWorkspaceSelection(shape.start, shape.length);
        view->ZoomAround(40000, 0, 20000);
        ProcessPendingUi(frame);
        ASSERT_EQ(view->ViewStart(), 40000u);
        ASSERT_EQ(view->ViewLength(), 20000u);
        WaitUntil([&] { return viewColumns() == shape.columns; });  // the paint may lag
        EXPECT_EQ(viewColumns(), shape.columns);
        if (shape.length != 0) {
            EXPECT_EQ(rulerColumns(), shape.columns);
        } else {
            EXPECT_EQ(rulerColumns(), range(w / 2, w / 2 + 2)) << "two columns wide on the ruler";
        }
    }
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

// A file shown alone plays at its own rate: the device is opened again at the rate of what
// is played, and back at the workspace's for the workspace.
TEST_F(WhereYouAre, PlayPlaysAFileShownAloneAtItsRateAndItsCursorFollows) {
    LoadThroughDialog(MakeWavAt("a.wav", 100000, 44100));
    LoadThroughDialog(MakeWavAt("b.wav", 200000, 48000));  // shown alone
    ASSERT_TRUE(Enabled(cmd::kPlay));
    Command(cmd::kPlay);
    ASSERT_TRUE(frame->Player().IsPlaying());
    EXPECT_EQ(frame->Host().Source(), 1) << "the file is read, not the workspace";
    EXPECT_EQ(audio.LastFormat().sampleRate, 48000u);
    EXPECT_EQ(frame->Host().ConfiguredRate(), 48000u) << "effects are told the rate played";
    for (int i = 0; i < 100; ++i) {
        audio.LastQueue()->CompleteNext();
    }
    const int expected = int(51200.0 * frame->View()->GetClientSize().x / 200000);
    EXPECT_TRUE(WaitUntil([&] { return frame->View()->CursorColumn() == expected; }))
        << "cursor at " << frame->View()->CursorColumn() << ", not " << expected;
    Command(cmd::kStop);
    EXPECT_EQ(frame->GetWorkspace().TotalLength(), 100000u) << "playing changed nothing";

    Command(cmd::kShowWorkspace);
    Command(cmd::kPlay);
    ASSERT_TRUE(frame->Player().IsPlaying());
    EXPECT_EQ(audio.LastFormat().sampleRate, 44100u);
    EXPECT_EQ(frame->Host().ConfiguredRate(), 44100u);
    Command(cmd::kStop);
}

// The render dialog reads its time at the workspace's rate, whatever was played before it.
TEST_F(WhereYouAre, TheRenderDialogTellsTheTimeAtTheWorkspacesRate) {
    LoadThroughDialog(MakeWavAt("ws.wav", 48000, 48000));   // 1.000 s, the workspace
    LoadThroughDialog(MakeWavAt("low.wav", 22050, 22050));  // 1.000 s, shown alone
    Command(cmd::kPlay);
    Command(cmd::kStop);
    ASSERT_EQ(frame->Host().ConfiguredRate(), 22050u) << "the last play was at the file's rate";
    frame->Host().SetSource(-1);  // as the frame does before its dialog: it renders the workspace
    auto* dialog = new RenderDialog(frame, files);
    dialog->Attach(&frame->Host(), &frame->GetWorkspace());
    dialog->Show();
    const std::string out = dir.File("out.wav");
    dialog->PathField()->ChangeValue(out);
    wxCommandEvent start(wxEVT_BUTTON, dialog->StartButton()->GetId());
    start.SetEventObject(dialog->StartButton());
    dialog->StartButton()->ProcessWindowEvent(start);
    ProcessPendingUi(dialog);
    dialog->Destroy();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.StartsWith("Rendered 0:00:01.000 (48000 frames)"))
        << messages[0].text;
}

}  // namespace
