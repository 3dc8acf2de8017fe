// Keys pressed on the X server (synthesised through XTest) reach their commands and do what
// the Keyboard list says: the menus' shortcuts, the window's further keys and the waveform's
// movement keys, on the workspace and on a file shown alone, zoomed in and out.

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include "app/FrameFixture.h"
#include "playback/WavePlayer.h"
#include "resources/CommandIds.h"
#include "resources/MenuResource.h"
#include "view/WaveformView.h"

using namespace testing_support;

namespace {

// Records the commands that reach the frame, then lets them go on.
class CommandRecorder : public wxEvtHandler {
public:
    std::vector<int> seen;

private:
    bool ProcessEvent(wxEvent& event) override {
        if (event.GetEventType() == wxEVT_MENU) {
            const bool fromMenu = dynamic_cast<wxMenu*>(event.GetEventObject()) != nullptr;
            seen.push_back(fromMenu ? menu::CommandOfMenuItem(event.GetId()) : event.GetId());
        }
        return wxEvtHandler::ProcessEvent(event);
    }
};

class Accelerators : public FrameFixture {
public:
    void FocusView() {
        frame->Raise();
        frame->View()->SetFocus();
        ASSERT_TRUE(WaitUntil([&] { return frame->View()->HasFocus(); }))
            << "the window never got the keyboard focus";
    }
    // A selection in the workspace and a filled clipboard: every edit command is enabled.
    void PrepareEdits() {
        DragInView(10, 40);
        frame->GetWorkspace().CopyRange(0, 100);
        UpdateUi();  // the menu items' state, as opening the menu would bring it
        ProcessPendingUi(frame);
    }
};

TEST_F(Accelerators, EditKeysReachTheirCommands) {
    LoadThroughDialog(MakeWav("a.wav", 20000));
    Command(cmd::kShowWorkspace);
    CommandRecorder recorder;
    frame->PushEventHandler(&recorder);
    FocusView();

    const struct {
        const char* name;
        int key;
        int modifiers;
        int command;
    } keys[] = {
        {"Ctrl+X", 'X', wxMOD_CONTROL, cmd::kCut},
        {"Ctrl+V", 'V', wxMOD_CONTROL, cmd::kPaste},
        {"Ctrl+C", 'C', wxMOD_CONTROL, cmd::kCopy},
        // Undo and Redo act only with a step to take: each leaves one for the next.
        {"Ctrl+Z", 'Z', wxMOD_CONTROL, cmd::kUndo},
        {"Ctrl+Y", 'Y', wxMOD_CONTROL, cmd::kRedo},
        {"Ctrl+Z again", 'Z', wxMOD_CONTROL, cmd::kUndo},
        {"Ctrl+Shift+Z", 'Z', wxMOD_CONTROL | wxMOD_SHIFT, cmd::kRedo},
        {"Shift+Delete", WXK_DELETE, wxMOD_SHIFT, cmd::kCut},
        {"Delete", WXK_DELETE, wxMOD_NONE, cmd::kDelete},
        {"Ctrl+Delete", WXK_DELETE, wxMOD_CONTROL, cmd::kDelete},
        {"Ctrl+Insert", WXK_INSERT, wxMOD_CONTROL, cmd::kCopy},
        {"Shift+Insert", WXK_INSERT, wxMOD_SHIFT, cmd::kPaste},
        {"Ctrl+L", 'L', wxMOD_CONTROL, cmd::kLoadWave},     // the dialog is cancelled
        {"Ctrl+O", 'O', wxMOD_CONTROL, cmd::kOpenSession},  // the question: OK
        {"Ctrl+Shift+S", 'S', wxMOD_CONTROL | wxMOD_SHIFT, cmd::kSaveSessionAs},  // cancelled
        {"+", '+', wxMOD_NONE, cmd::kZoomInAtInsertion},
        {"-", '-', wxMOD_NONE, cmd::kZoomOutAtInsertion},
        {"Ctrl+N", 'N', wxMOD_CONTROL, cmd::kNew},  // the question is answered OK
    };
    wxUIActionSimulator keyboard;
    for (const auto& k : keys) {
        SCOPED_TRACE(k.name);
        PrepareEdits();
        recorder.seen.clear();
        keyboard.Char(k.key, k.modifiers);
        EXPECT_TRUE(WaitUntil([&] { return !recorder.seen.empty(); })) << "no command arrived";
        EXPECT_EQ(recorder.seen, std::vector<int>{k.command});
    }
    frame->PopEventHandler();
}

// The workspace is a.wav (20000 frames) with its first 5000 frames pasted in at 12000: 25000
// frames whose pieces meet at 12000 and 17000. b.wav (30000 frames) is the file shown alone.
// Zoomed in, the view shows frames 10000 to 12500, so a step of Left or Right is 250 frames;
// zoomed out it is 2500.
TEST_F(Accelerators, KeysMoveSelectAndEditAsTheKeyboardListSays) {
    LoadThroughDialog(MakeWav("a.wav", 20000, 1));
    LoadThroughDialog(MakeWav("b.wav", 30000, 2));
    Workspace& workspace = frame->GetWorkspace();
    workspace.CopyRange(0, 5000);
    workspace.PasteAt(12000);
    ASSERT_EQ(workspace.TotalLength(), 25000u);
    WaveformView* view = frame->View();
    FocusView();
    wxUIActionSimulator keyboard;
    // Shows the workspace or b.wav, zoomed or not, with [start, start + length) selected.
    const auto prepare = [&](int source, bool zoomed, uint32_t start, uint32_t length) {
        if (workspace.TotalLength() != 25000) {
            Command(cmd::kUndo);  // the previous row's deletion
        }
        ASSERT_EQ(workspace.TotalLength(), 25000u);
        view->ShowSource(source);
        view->PlaceInsertionPoint(start);
        view->ExtendSelectionTo(start + length);
        if (zoomed) {
            view->ZoomAround(10000, 0, 2500);
            ASSERT_EQ(view->ViewStart(), 10000u);
        }
        UpdateUi();
        ProcessPendingUi(frame);
    };

    enum Shown { kWhole, kZoomed, kFileB, kFileBZoomed };
    constexpr int kNone = wxMOD_NONE, kShift = wxMOD_SHIFT, kCtrl = wxMOD_CONTROL;
    constexpr int64_t kAny = -1;  // no frame that must be in view
    const struct {
        const char* name;
        int key, modifiers;
        Shown shown;
        uint32_t start, length;        // the selection before
        uint32_t newStart, newLength;  // and after
        int64_t shows;                 // a frame the view must show after, or kAny
        uint32_t total;                // the workspace's length after
    } rows[] = {
        // clang-format off
        {"Left", WXK_LEFT, kNone, kWhole, 10000, 0, 7500, 0, 7500, 25000},
        {"Right", WXK_RIGHT, kNone, kZoomed, 11000, 0, 11250, 0, 11250, 25000},
        {"Right at the end", WXK_RIGHT, kNone, kWhole, 24000, 0, 25000, 0, 25000, 25000},
        {"Shift+Right", WXK_RIGHT, kShift, kZoomed, 11000, 0, 11000, 250, 11250, 25000},
        {"Shift+Left, free end", WXK_LEFT, kShift, kZoomed, 11000, 500, 11000, 250, 11250, 25000},
        {"Shift+Left, past anchor", WXK_LEFT, kShift, kZoomed, 11000, 100, 10850, 150, kAny, 25000},
        {"Ctrl+Right", WXK_RIGHT, kCtrl, kWhole, 5000, 0, 12000, 0, 12000, 25000},
        {"Ctrl+Left at a splice", WXK_LEFT, kCtrl, kWhole, 17000, 0, 12000, 0, 12000, 25000},
        {"Ctrl+Left in a piece", WXK_LEFT, kCtrl, kWhole, 13000, 0, 12000, 0, 12000, 25000},
        {"Ctrl+Right, scrolls", WXK_RIGHT, kCtrl, kZoomed, 12000, 0, 17000, 0, 17000, 25000},
        {"Ctrl+Shift+Right", WXK_RIGHT, kCtrl | kShift, kWhole, 12000, 0, 12000, 5000, kAny, 25000},
        {"Ctrl+Right, file", WXK_RIGHT, kCtrl, kFileB, 5000, 0, 30000, 0, 30000, 25000},
        {"Shift+Home", WXK_HOME, kShift, kZoomed, 11000, 0, 0, 11000, 0, 25000},
        {"Shift+End", WXK_END, kShift, kWhole, 11000, 0, 11000, 14000, kAny, 25000},
        {"Home", WXK_HOME, kNone, kZoomed, 11000, 500, 0, 0, 0, 25000},
        {"End", WXK_END, kNone, kZoomed, 11000, 0, 25000, 0, 25000, 25000},
        {"Escape", WXK_ESCAPE, kNone, kWhole, 3000, 4000, 3000, 0, kAny, 25000},
        {"Ctrl+A", 'A', kCtrl, kZoomed, 11000, 0, 0, 25000, kAny, 25000},
        {"Ctrl+A, file", 'A', kCtrl, kFileBZoomed, 11000, 0, 0, 30000, kAny, 25000},
        {"Delete", WXK_DELETE, kNone, kWhole, 3000, 2000, 3000, 0, kAny, 23000},
        {"Ctrl+Delete", WXK_DELETE, kCtrl, kZoomed, 11000, 1000, 11000, 0, kAny, 24000},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const bool file = row.shown == kFileB || row.shown == kFileBZoomed;
        const bool zoomed = row.shown == kZoomed || row.shown == kFileBZoomed;
        prepare(file ? 1 : -1, zoomed, row.start, row.length);
        keyboard.Char(row.key, row.modifiers);
        EXPECT_TRUE(WaitUntil([&] {
            return view->SelectionStart() == row.newStart &&
                   view->SelectionLength() == row.newLength && workspace.TotalLength() == row.total;
        })) << "the key had not its effect";
        EXPECT_EQ(view->SelectionStart(), row.newStart);
        EXPECT_EQ(view->SelectionLength(), row.newLength);
        EXPECT_EQ(workspace.TotalLength(), row.total);
        if (row.shows != kAny) {
            EXPECT_LE(view->ViewStart(), row.shows);
            EXPECT_GE(int64_t{view->ViewStart()} + view->ViewLength(), row.shows);
        }
        if (zoomed) {
            EXPECT_EQ(view->ViewLength(), 2500u) << "a key changed the zoom";
        }
    }

    // Ctrl+Q asks about the unsaved edits (Cancel keeps the window) and deletes nothing.
    prepare(-1, false, 3000, 2000);
    ASSERT_TRUE(frame->Session().IsModified());
    answers.push_back(platform::MessageAnswer::kCancel);
    keyboard.Char('Q', wxMOD_CONTROL);
    ASSERT_TRUE(WaitUntil([&] { return !messages.empty(); })) << "Ctrl+Q did not ask";
    EXPECT_TRUE(messages.back().text.StartsWith("Save changes")) << messages.back().text;
    EXPECT_EQ(view->SelectionLength(), 2000u);
    EXPECT_EQ(workspace.TotalLength(), 25000u);

    // Ctrl+W closes the file shown alone.
    prepare(1, false, 0, 0);
    keyboard.Char('W', wxMOD_CONTROL);
    EXPECT_TRUE(WaitUntil([&] { return workspace.FileCount() == 1; })) << "b.wav stayed open";
}

TEST_F(Accelerators, ShiftClickExtendsTheSelectionFromItsAnchor) {
    LoadThroughDialog(MakeWav("a.wav", 20000));
    WaveformView* view = frame->View();
    view->PlaceInsertionPoint(5000);
    const auto click = [&](int x, bool shift) {
        for (wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
            wxMouseEvent event(type);
            event.SetEventObject(view);
            event.SetPosition(wxPoint(x, view->GetClientSize().y / 2));
            event.SetLeftDown(type == wxEVT_LEFT_DOWN);
            event.SetShiftDown(shift);
            view->HandleWindowEvent(event);
        }
        ProcessPendingUi(frame);
    };
    // The last column stands for the end of the shown range, the first for its start.
    click(view->GetClientSize().x - 1, true);
    EXPECT_EQ(view->SelectionStart(), 5000u);
    EXPECT_EQ(view->SelectionLength(), 15000u);
    click(0, true);  // past the anchor: the selection turns round it
    EXPECT_EQ(view->SelectionStart(), 0u);
    EXPECT_EQ(view->SelectionLength(), 5000u);
    click(0, false);  // a plain click leaves an insertion point
    EXPECT_EQ(view->SelectionLength(), 0u);
}

TEST_F(Accelerators, SpacePlaysTheShownFileAndStopsIt) {
    LoadThroughDialog(MakeWav("a.wav", 20000, 1));
    LoadThroughDialog(MakeWav("b.wav", 200000, 2));  // shown alone
    FocusView();
    DragInView(100, 100);  // the insertion point: playback runs from it to the shown end
    const uint32_t from = frame->View()->SelectionStart();
    ASSERT_GT(from, 0u);

    wxUIActionSimulator keyboard;
    keyboard.Char(WXK_SPACE);
    ASSERT_TRUE(WaitUntil([&] { return frame->Player().IsPlaying(); })) << "Space did not play";
    EXPECT_EQ(frame->Player().PlayingFrame(), int64_t{from});
    // The first block queued is b.wav's own, from the insertion point.
    std::vector<uint8_t> expected(2048);
    uint32_t got = 0;
    ASSERT_TRUE(frame->GetWorkspace().ReadFileFrames(1, expected.data(), 512, got, from));
    ASSERT_FALSE(audio.LastQueue()->Written().empty());
    EXPECT_EQ(audio.LastQueue()->Written().front(), expected);

    keyboard.Char(WXK_SPACE);
    EXPECT_TRUE(WaitUntil([&] { return frame->Player().PlayingFrame() < 0; }))
        << "Space did not stop";
    EXPECT_FALSE(frame->Player().IsPlaying());
}

}  // namespace
