// Keys pressed on the X server (synthesised through XTest) reach their commands: the
// shortcuts the menu texts name and the further keys of the accelerator table.

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
            const bool fromMenu = wxDynamicCast(event.GetEventObject(), wxMenu) != nullptr;
            seen.push_back(fromMenu ? menu::CommandOfMenuItem(event.GetId()) : event.GetId());
        }
        return wxEvtHandler::ProcessEvent(event);
    }
};

class Accelerators : public FrameFixture {
public:
    // A selection in the workspace and a filled clipboard: every edit command is enabled.
    void PrepareEdits() {
        DragInView(10, 40);
        frame->GetWorkspace().CopyRange(0, 100);
        UpdateUi();  // the menu items' state, as opening the menu would bring it
        ProcessPendingUi(frame);
    }
};

TEST_F(Accelerators, KeysReachTheirCommands) {
    LoadThroughDialog(MakeWav("a.wav", 20000));
    Command(cmd::kShowWorkspace);
    CommandRecorder recorder;
    frame->PushEventHandler(&recorder);
    frame->Raise();
    frame->View()->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return frame->View()->HasFocus(); }))
        << "the window never got the keyboard focus";

    const struct {
        const char* name;
        int key;
        int modifiers;
        int command;
    } keys[] = {
        {"Ctrl+X", 'X', wxMOD_CONTROL, cmd::kCut},
        {"Ctrl+V", 'V', wxMOD_CONTROL, cmd::kPaste},
        {"Ctrl+C", 'C', wxMOD_CONTROL, cmd::kCopy},
        {"Ctrl+Q", 'Q', wxMOD_CONTROL, cmd::kDelete},
        {"Delete", WXK_DELETE, wxMOD_NONE, cmd::kDelete},
        {"Ctrl+A", 'A', wxMOD_CONTROL, cmd::kSelectAll},
        // Undo and Redo act only with a step to take: each leaves one for the next.
        {"Ctrl+Z", 'Z', wxMOD_CONTROL, cmd::kUndo},
        {"Ctrl+Y", 'Y', wxMOD_CONTROL, cmd::kRedo},
        {"Ctrl+Z again", 'Z', wxMOD_CONTROL, cmd::kUndo},
        {"Ctrl+Shift+Z", 'Z', wxMOD_CONTROL | wxMOD_SHIFT, cmd::kRedo},
        {"Shift+Delete", WXK_DELETE, wxMOD_SHIFT, cmd::kCut},
        {"Ctrl+Insert", WXK_INSERT, wxMOD_CONTROL, cmd::kCopy},
        {"Shift+Insert", WXK_INSERT, wxMOD_SHIFT, cmd::kPaste},
        {"Ctrl+L", 'L', wxMOD_CONTROL, cmd::kLoadWave},  // the dialog is cancelled
        {"Home", WXK_HOME, wxMOD_NONE, cmd::kGoToStart},
        {"End", WXK_END, wxMOD_NONE, cmd::kGoToEnd},
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

TEST_F(Accelerators, SpacePlaysTheShownFileAndStopsIt) {
    LoadThroughDialog(MakeWav("a.wav", 20000, 1));
    LoadThroughDialog(MakeWav("b.wav", 200000, 2));  // shown alone
    frame->Raise();
    frame->View()->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return frame->View()->HasFocus(); }));
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
