#pragma once

#include <gtest/gtest.h>
#include <wx/event.h>

#include <filesystem>
#include <string>
#include <vector>

#include "audio/Workspace.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"
#include "support/FakeAudioOutput.h"
#include "support/GuiTestFrame.h"
#include "support/TestWav.h"
#include "view/WaveformView.h"

namespace testing_support {

/// One frame from its two samples.
inline Frame StereoFrame(int16_t left, int16_t right) {
    return Frame(uint16_t(left)) | (Frame(uint16_t(right)) << 16);
}

/// A waveform view on a test frame, attached to a workspace and to a player on the
/// deterministic device, as the main frame attaches it.
class ViewFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 200;
    static constexpr int kHeight = 100;
    enum Button { kLeft = 1, kMiddle = 2, kRight = 4 };

    void SetUp() override {
        std::filesystem::create_directory(dir.File("vstplugs"));
        host.Configure(44100, 2048, dir.File("vstplugs"));
        ASSERT_TRUE(player.Open(2048, 16, 2, 44100, 16));
        frame = new GuiTestFrame();
        view = new WaveformView();
        ASSERT_TRUE(view->Create(frame));
        view->Attach(&workspace, &player);
        view->Bind(wxEVT_PAINT, [this](wxPaintEvent& event) {
            ++paints;
            event.Skip();
        });
        ASSERT_TRUE(frame->ShowWithClientSize(view, kWidth, kHeight));
    }

    void TearDown() override {
        player.Stop();
        if (frame != nullptr) {
            DestroyNow(frame);
        }
    }

    /// Writes the frames as a WAV file and opens it into the workspace; the first file opened
    /// is shown as the workspace, later ones alone, as the frame does after loading a file.
    void Load(const std::vector<Frame>& frames) {
        const std::string path = dir.File("f" + std::to_string(workspace.FileCount()) + ".wav");
        WriteWav(path, frames);
        ASSERT_TRUE(workspace.AddFile(path.c_str()));
        view->ShowSource(workspace.FileCount() == 1 ? -1 : int(workspace.FileCount() - 1));
        Flush();
    }

    /// Asks for a paint without touching the view's state and waits for it.
    void Paint() {
        const int before = paints;
        view->Refresh(false);
        view->Update();
        ASSERT_TRUE(WaitUntil([&] { return paints > before; })) << "no paint arrived";
    }

    /// Lets every repaint that the view asked for happen.
    void Flush() { ProcessPendingUi(view); }

    void Mouse(wxEventType type, int x, int buttons = kLeft, int modifiers = wxMOD_NONE) {
        wxMouseEvent event(type);
        event.SetEventObject(view);
        event.SetPosition(wxPoint(x, kHeight / 2));
        event.SetLeftDown(buttons & kLeft);
        event.SetMiddleDown(buttons & kMiddle);
        event.SetRightDown(buttons & kRight);
        event.SetShiftDown(modifiers & wxMOD_SHIFT);
        event.SetControlDown(modifiers & wxMOD_CONTROL);
        event.SetAltDown(modifiers & wxMOD_ALT);
        view->HandleWindowEvent(event);
    }
    void Press(int x) { Mouse(wxEVT_LEFT_DOWN, x); }
    void Move(int x, int buttons = kLeft, int modifiers = wxMOD_NONE) {
        Mouse(wxEVT_MOTION, x, buttons, modifiers);
    }
    void Release(int x) { Mouse(wxEVT_LEFT_UP, x, 0); }
    /// A whole drag from pixel a to pixel b.
    void Drag(int a, int b) {
        Press(a);
        Move(b);
        Release(b);
        Flush();
    }

    void Command(int id) {
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(view);
        view->HandleWindowEvent(event);
        Flush();
    }

    struct UiState {
        bool enabled;
        bool checked;
    };
    /// What the view's update rule for `id` says; unset states read as false.
    UiState Query(int id) {
        wxUpdateUIEvent event(id);
        event.SetEventObject(view);
        EXPECT_TRUE(view->HandleWindowEvent(event)) << "no update rule for " << id;
        return {event.GetSetEnabled() && event.GetEnabled(),
                event.GetSetChecked() && event.GetChecked()};
    }

    void ExpectView(uint32_t start, uint32_t length) {
        EXPECT_EQ(view->ViewStart(), start);
        EXPECT_EQ(view->ViewLength(), length);
    }
    void ExpectSelection(uint32_t start, uint32_t length) {
        EXPECT_EQ(view->SelectionStart(), start);
        EXPECT_EQ(view->SelectionLength(), length);
    }

    TempDir dir;
    Workspace workspace;
    PluginHost host{&workspace};
    FakeAudioOutput device;
    WavePlayer player{&host, device};
    GuiTestFrame* frame = nullptr;
    WaveformView* view = nullptr;
    int paints = 0;
};

}  // namespace testing_support
