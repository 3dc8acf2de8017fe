// Keys pressed on the X server (synthesised through XTest) reach their commands: the
// shortcuts the menu texts name and the further keys of the accelerator table.

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include "app/FrameFixture.h"
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
        {"Ctrl+N", 'N', wxMOD_CONTROL, cmd::kNew},       // the question is answered OK

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

}  // namespace
