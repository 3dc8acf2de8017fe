// Cancel during a render, pressed for real: the X server holds the pointer's press and
// release until the render first lets the toolkit read its input, as when a user clicks
// while the progress bar runs. The test moves the display's one pointer, so it runs alone.

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <thread>

#include "app/FrameFixture.h"
#include "render/RenderDialog.h"

using namespace testing_support;

namespace {

class RenderCancel : public FrameFixture {};

TEST_F(RenderCancel, StopsTheRenderRemovesThePartialFileAndKeepsTheSources) {
    const std::string source = MakeWav("source.wav", 200000);
    const uint64_t sum = Checksum(source);
    frame->LoadWave(source, "source.wav");
    auto* dialog = new RenderDialog(frame, files);
    dialog->Attach(&frame->Host(), &frame->GetWorkspace());
    dialog->Show();
    ASSERT_TRUE(WaitUntil([&] { return dialog->CloseButton()->IsShownOnScreen(); }));
    ProcessPendingUi(dialog);
    const std::string out = dir.File("out.wav");
    dialog->PathField()->ChangeValue(out);

    bool cancelSeenDuringRender = false;
    dialog->CloseButton()->Bind(wxEVT_BUTTON, [&](wxCommandEvent& event) {
        cancelSeenDuringRender = dialog->IsRendering() &&
                                 dialog->CloseButton()->GetLabel() == "Cancel" &&
                                 !dialog->TailBox()->IsEnabled();
        event.Skip();
    });
    wxUIActionSimulator pointer;
    const wxRect button = dialog->CloseButton()->GetScreenRect();
    pointer.MouseMove(button.GetLeft() + button.GetWidth() / 2,
                      button.GetTop() + button.GetHeight() / 2);
    for (int i = 0; i < 5; ++i) {
        ProcessPendingUi(dialog);
        wxMilliSleep(10);
    }
    pointer.MouseClick();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the click reaches us
    wxCommandEvent start(wxEVT_BUTTON, dialog->StartButton()->GetId());
    start.SetEventObject(dialog->StartButton());
    dialog->StartButton()->ProcessWindowEvent(start);
    ProcessPendingUi(dialog);

    EXPECT_TRUE(cancelSeenDuringRender)
        << "Cancel pressed while the file was being written, the other controls disabled";
    EXPECT_FALSE(std::filesystem::exists(out)) << "nothing is written at the output path";
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_EQ(entry.path().string().find(".part"), std::string::npos)
            << "the temporary file is removed: " << entry.path();
    }
    EXPECT_EQ(Checksum(source), sum);
    EXPECT_EQ(frame->GetWorkspace().TotalLength(), 200000u);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].icon, platform::MessageIcon::kInformation);
    EXPECT_TRUE(messages[0].text.Contains("cancelled")) << messages[0].text;
    EXPECT_TRUE(dialog->IsShown()) << "Cancel stops the render, not the dialog";
    EXPECT_EQ(dialog->CloseButton()->GetLabel(), "Close");
    EXPECT_TRUE(dialog->StartButton()->IsEnabled()) << "another render may start";
    dialog->Destroy();
}

}  // namespace
